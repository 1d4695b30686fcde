# The Public Suffix List where the system has no libpsl (Windows): the list
# Debian's package publicsuffix installs, embedded at build time as the
# rules alone (comments and blank lines dropped) in a generated source,
# library ts_public_suffix_rules, which the lookup of
# browsers/system/windows reads.
set(TRACESWEEP_PUBLIC_SUFFIX_LIST /usr/share/publicsuffix/public_suffix_list.dat
    CACHE FILEPATH "The Public Suffix List (public_suffix_list.dat)")

function(ts_public_suffix_rules)
  if(TARGET ts_public_suffix_rules)
    return()
  endif()
  if(NOT EXISTS ${TRACESWEEP_PUBLIC_SUFFIX_LIST})
    message(FATAL_ERROR "No Public Suffix List at ${TRACESWEEP_PUBLIC_SUFFIX_LIST} "
                        "(Debian package publicsuffix)")
  endif()
  set(generated ${CMAKE_BINARY_DIR}/generated/public_suffix_rules.cpp)
  add_custom_command(
    OUTPUT ${generated}
    COMMAND ${CMAKE_COMMAND} -DLIST=${TRACESWEEP_PUBLIC_SUFFIX_LIST} -DOUT=${generated}
            -P ${PROJECT_SOURCE_DIR}/cmake/embed_public_suffix_list.cmake
    DEPENDS ${TRACESWEEP_PUBLIC_SUFFIX_LIST} ${PROJECT_SOURCE_DIR}/cmake/embed_public_suffix_list.cmake
    COMMENT "Embedding the Public Suffix List")
  add_library(ts_public_suffix_rules STATIC ${generated})
  target_include_directories(ts_public_suffix_rules PUBLIC ${PROJECT_SOURCE_DIR}/src)
endfunction()
