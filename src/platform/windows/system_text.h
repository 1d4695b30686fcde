// Text at the edge of the Windows API: the program's strings are UTF-8, which
// is also the active code page of the ANSI calls (see the manifest); the
// wide calls (COM) take UTF-16.
#pragma once

#include <cstdint>
#include <string>

namespace platform::windows_os {

std::wstring toWide(const std::string& text);
std::string fromWide(const wchar_t* text);

// The system's text for an error code or HRESULT (FormatMessageA), with its
// closing line break; "" when the system has none.
std::string systemErrorText(std::uint32_t code);
// The same as part of a sentence: no closing full stop or line break, the
// first letter small; "error N" when the system has no text.
std::string systemErrorWords(std::uint32_t code);

}  // namespace platform::windows_os
