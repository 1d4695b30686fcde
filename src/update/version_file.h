// Reading the version file: its first field, taken as a decimal number with
// "." as the point whatever the user's locale.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace update {

// The text up to the first comma or line end, leading blanks dropped; a field
// in double quotes is taken without the quotes.
std::string firstField(std::string_view text);

// The field as a number; nullopt when it is empty or not a plain decimal
// number (exponents, "inf" and "nan" are not versions).
std::optional<double> parseVersion(std::string_view field);

// The published version in the file at path; nullopt when the file cannot be
// read or its first field is missing or not a number.
std::optional<double> readPublishedVersion(const std::string& path);

// The program's own version, major "." minor, read the same way.
double ownVersion();

}  // namespace update
