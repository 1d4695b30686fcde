// Points the registry's Shell Folders\Cookies value at a folder, as the cookie
// page reads it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/registry.h"

namespace testsupport {

inline void setCookieFolderValue(platform::Registry& registry, const std::string& folder) {
  platform::HKEY key = 0;
  registry.RegCreateKey(platform::HKEY_CURRENT_USER,
                        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                        key);
  std::string data = folder + '\0';
  registry.RegSetValueEx(key, "Cookies", platform::REG_SZ,
                         reinterpret_cast<const std::uint8_t*>(data.data()),
                         static_cast<std::uint32_t>(data.size()));
  registry.RegCloseKey(key);
}

}  // namespace testsupport
