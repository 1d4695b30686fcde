// Per-user settings addressed by application name, section and key.
#pragma once

#include <string>

namespace platform {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The stored text, or defaultValue when the value is absent or unreadable.
  virtual std::string GetSetting(const std::string& app, const std::string& section,
                                 const std::string& key, const std::string& defaultValue) = 0;
  virtual void SaveSetting(const std::string& app, const std::string& section,
                           const std::string& key, const std::string& value) = 0;
};

}  // namespace platform
