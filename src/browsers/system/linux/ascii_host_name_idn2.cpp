// International names on Linux: libidn2, by the Unicode IDNA mapping that
// the browsers use (UTS #46, non-transitional: "ß" stays "ß").
#include <idn2.h>

#include <cstdlib>

#include "browsers/cookies/ascii_host_name.h"

namespace browsers {

std::optional<std::string> asciiHostName(const std::string& name) {
  char* ascii = nullptr;
  if (idn2_to_ascii_8z(name.c_str(), &ascii, IDN2_NFC_INPUT | IDN2_NONTRANSITIONAL) != IDN2_OK)
    return std::nullopt;
  std::string result(ascii);
  idn2_free(ascii);
  return result;
}

}  // namespace browsers
