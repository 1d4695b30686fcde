// The XDG autostart files that stand for the values of the Run key: one
// Desktop Entry file per value, whose Exec line starts the value's data and
// which records the value's name so that it reads back unchanged.
#pragma once

#include <string>
#include <string_view>

namespace platform::linux_os {

inline constexpr const char* kValueNameKey = "X-Tracesweep-Value-Name";
inline constexpr const char* kAutostartFilePrefix = "tracesweep-";

// The Exec value (before the key-file escapes) that runs `program` as one
// argument: quoted when it holds a reserved character, with \ " ` $ escaped
// inside the quotes and % doubled.
std::string quoteExecProgram(std::string_view program);
// The inverse for an Exec value of one argument; any other command line comes
// back as it stands, with %% read as %.
std::string unquoteExec(std::string_view exec);

// The escapes of the key-file "string" type: \\ \n \t \r, and \s for blanks
// at either end (which readers would otherwise trim).
std::string escapeKeyFileValue(std::string_view value);
std::string unescapeKeyFileValue(std::string_view value);

// "tracesweep-" and the value name reduced to lower-case letters, digits and "-".
std::string autostartFileStem(std::string_view valueName);

// The file for a value; both texts must be valid UTF-8 without control characters.
std::string autostartFileText(std::string_view valueName, std::string_view program);

struct AutostartFileFields {
  bool ours = false;  // holds the value-name key
  bool hidden = false;
  std::string valueName;
  std::string data;  // the Exec line read back
};
// Reads the [Desktop Entry] group; any text is accepted.
AutostartFileFields readAutostartFile(std::string_view text);

}  // namespace platform::linux_os
