// The settings store kept in the registry, at
// HKEY_CURRENT_USER\Software\<application>\<section>, one REG_SZ per key.
#pragma once

#include "platform/registry.h"
#include "platform/settings_store.h"

namespace platform {

// What keeps the other copies of the program out of the settings while one
// changes them: the system's lock, held around the change.
class SettingsExclusion {
 public:
  virtual ~SettingsExclusion() = default;
  // Runs apply while no other copy can change the settings, the registry
  // brought up to date with what is stored first; apply's outcome, or why it
  // could not run (apply did not).
  virtual SettingsSaved exclusively(const std::function<SettingsSaved()>& apply) = 0;
};

class RegistrySettingsStore : public SettingsStore {
 public:
  // Without an exclusion the registry is this process's alone (the fakes,
  // the stand-in system's memory).
  explicit RegistrySettingsStore(Registry& registry, SettingsExclusion* exclusion = nullptr)
      : registry_(registry), exclusion_(exclusion) {}
  std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                         const std::string& defaultValue) override;
  SettingsSaved change(const std::function<void(SettingsEditor&)>& edit) override;

 private:
  Registry& registry_;
  SettingsExclusion* exclusion_;
};

}  // namespace platform
