// International names on Windows: the system's IdnToAscii (kernel32 since
// Vista), which maps and lower-cases the name as IDNA asks.
#include "browsers/cookies/ascii_host_name.h"
#include "platform/windows/system_text.h"
#include "platform/windows/win32.h"

namespace browsers {

std::optional<std::string> asciiHostName(const std::string& name) {
  const std::wstring wide = platform::windows_os::toWide(name);
  if (wide.empty()) return std::nullopt;
  const int size = IdnToAscii(0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0);
  if (size <= 0) return std::nullopt;
  std::wstring ascii(static_cast<std::size_t>(size), L'\0');
  if (IdnToAscii(0, wide.c_str(), static_cast<int>(wide.size()), ascii.data(), size) != size)
    return std::nullopt;
  std::string result;
  for (wchar_t c : ascii) {
    if (c >= 0x80) return std::nullopt;
    result.push_back(static_cast<char>(c));
  }
  return result;
}

}  // namespace browsers
