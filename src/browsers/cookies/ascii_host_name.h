// International host names in the ASCII form the browsers store them in
// (IDNA: "bücher.de" -> "xn--bcher-kva.de"). Each system supplies it from its
// own library (libidn2 on Linux, the system's IdnToAscii on Windows).
#pragma once

#include <optional>
#include <string>

namespace browsers {

// name: UTF-8. Its ASCII form, lower case; nothing when it is not a valid
// international name.
std::optional<std::string> asciiHostName(const std::string& name);

}  // namespace browsers
