// Reading one registry value as text, with the one message box that a failed
// read shows.
#pragma once

#include <string>

#include "forms/platform.h"

namespace traces {

// Opens root\subKey, reads the value and closes the key again. A key that
// cannot be opened fails at the read, with its message.
std::string GetRegValue(forms::Platform& platform, platform::HKEY root, const std::string& subKey,
                        const std::string& name);

// REG_SZ and REG_EXPAND_SZ as text (references left unexpanded), REG_BINARY of
// at most 4 bytes as one signed 32-bit integer, anything else empty. A failed
// first query shows its system text in an OK-only box.
std::string ReadRegValue(forms::Platform& platform, platform::HKEY key, const std::string& name);

// The system's text for an error code, with its closing line break; "" when
// the system has none.
std::string SystemErrorText(platform::Registry& registry, long code);

}  // namespace traces
