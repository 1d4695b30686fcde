// Autostart .desktop files as hostile input. Besides not crashing: a file
// written for a value name and a program reads back as the same two.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/linux/registry/desktop_entry.h"
#include "platform/linux/registry/reg_text.h"

using namespace platform::linux_os;

namespace {

// What the writer accepts: valid UTF-8 without control characters.
bool writable(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  return isValidUtf8(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  readAutostartFile(text);
  unquoteExec(text);
  if (unescapeKeyFileValue(escapeKeyFileValue(text)) != text) __builtin_trap();
  if (unquoteExec(quoteExecProgram(text)) != text) __builtin_trap();

  // The first line is the value name, the rest the program.
  std::size_t newline = text.find('\n');
  if (newline == std::string_view::npos) return 0;
  std::string_view name = text.substr(0, newline), program = text.substr(newline + 1);
  if (!writable(name) || !writable(program)) return 0;
  AutostartFileFields read = readAutostartFile(autostartFileText(name, program));
  if (!read.ours || read.hidden || read.valueName != name || read.data != program) __builtin_trap();
  return 0;
}
