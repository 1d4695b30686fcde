#include "platform/registry_settings_store.h"

#include <vector>

namespace platform {

static std::string keyPath(const std::string& app, const std::string& section) {
  return "Software\\" + app + "\\" + section;
}

std::string RegistrySettingsStore::GetSetting(const std::string& app, const std::string& section,
                                              const std::string& key,
                                              const std::string& defaultValue) {
  HKEY h = 0;
  if (registry_.RegOpenKey(HKEY_CURRENT_USER, keyPath(app, section), h) != ERROR_SUCCESS)
    return defaultValue;
  std::string result = defaultValue;
  std::uint32_t type = 0, size = 0;
  if (registry_.RegQueryValueEx(h, key, &type, nullptr, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ)) {
    std::vector<std::uint8_t> data(size);
    if (registry_.RegQueryValueEx(h, key, &type, data.data(), &size) == ERROR_SUCCESS) {
      std::string text(data.begin(), data.begin() + size);
      if (auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
      result = text;
    }
  }
  registry_.RegCloseKey(h);
  return result;
}

void RegistrySettingsStore::SaveSetting(const std::string& app, const std::string& section,
                                        const std::string& key, const std::string& value) {
  HKEY h = 0;
  if (registry_.RegCreateKey(HKEY_CURRENT_USER, keyPath(app, section), h) != ERROR_SUCCESS) return;
  std::string data = value;
  data.push_back('\0');
  registry_.RegSetValueEx(h, key, REG_SZ, reinterpret_cast<const std::uint8_t*>(data.data()),
                          static_cast<std::uint32_t>(data.size()));
  registry_.RegCloseKey(h);
}

}  // namespace platform
