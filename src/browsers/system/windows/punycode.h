// Internationalised domain labels in the ASCII form browsers store them in
// (RFC 3492 Punycode behind "xn--"), for the Public Suffix List's rules,
// which the list writes in UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace browsers {

// A label's ASCII form: an ASCII label as it is, any other "xn--" and its
// Punycode. Nothing for text that is not valid UTF-8. The label is taken as
// already normalised and lower case (the list's are).
std::optional<std::string> asciiLabel(std::string_view label);

// Every label of a dotted name in its ASCII form.
std::optional<std::string> asciiName(std::string_view name);

}  // namespace browsers
