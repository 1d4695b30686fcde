// The settings store kept in the registry, at
// HKEY_CURRENT_USER\Software\<application>\<section>, one REG_SZ per key.
#pragma once

#include "platform/registry.h"
#include "platform/settings_store.h"

namespace platform {

class RegistrySettingsStore : public SettingsStore {
 public:
  explicit RegistrySettingsStore(Registry& registry) : registry_(registry) {}
  std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                         const std::string& defaultValue) override;
  void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                   const std::string& value) override;

 private:
  Registry& registry_;
};

}  // namespace platform
