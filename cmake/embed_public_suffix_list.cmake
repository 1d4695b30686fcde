# cmake -DLIST=<public_suffix_list.dat> -DOUT=<file.cpp> -P embed_public_suffix_list.cmake
# Writes the list's rules, one a line, as the text kPublicSuffixRules. Each
# line of the list counts up to its first white space; "//" starts a comment.
file(STRINGS ${LIST} lines ENCODING UTF-8)
set(body "")
set(count 0)
foreach(line IN LISTS lines)
  string(REGEX REPLACE "[ \t\r].*$" "" rule "${line}")
  if(rule STREQUAL "" OR rule MATCHES "^//")
    continue()
  endif()
  string(REPLACE "\\" "\\\\" rule "${rule}")
  string(REPLACE "\"" "\\\"" rule "${rule}")
  string(APPEND body "    \"${rule}\\n\"\n")
  math(EXPR count "${count} + 1")
endforeach()
file(WRITE ${OUT}.new
"// Generated from ${LIST} by cmake/embed_public_suffix_list.cmake: ${count} rules.\n"
"#include \"browsers/system/windows/public_suffix_rules.h\"\n\n"
"namespace browsers {\n\n"
"const char kPublicSuffixRules[] =\n${body};\n"
"const std::size_t kPublicSuffixRulesSize = sizeof kPublicSuffixRules - 1;\n\n"
"}  // namespace browsers\n")
file(COPY_FILE ${OUT}.new ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.new)
