// The Public Suffix List's rules, one a line ("com", "*.ck", "!www.ck", UTF-8
// as the list writes them), embedded at build time (cmake/PublicSuffixList.cmake).
#pragma once

#include <cstddef>

namespace browsers {

extern const char kPublicSuffixRules[];
extern const std::size_t kPublicSuffixRulesSize;

}  // namespace browsers
