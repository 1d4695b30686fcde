// Per-user settings addressed by application name, section and key.
//
// Several copies of the program may change the settings at once (the tray
// and a command line, two command lines). Every change therefore goes
// through change(): it reads the settings as they are stored at that moment,
// with every other copy kept out until it has saved, so that a value read,
// changed and written back (a list) never loses what another copy wrote.
#pragma once

#include <functional>
#include <string>

namespace platform {

// What saving a change came to.
struct SettingsSaved {
  std::string error;  // "" when saved; else why not, in plain words
  bool ok() const { return error.empty(); }
};

// The settings during a change: reads see what is stored, with the change's
// own writes so far.
class SettingsEditor {
 public:
  virtual ~SettingsEditor() = default;
  virtual std::string GetSetting(const std::string& app, const std::string& section,
                                 const std::string& key, const std::string& defaultValue) = 0;
  virtual void SaveSetting(const std::string& app, const std::string& section,
                           const std::string& key, const std::string& value) = 0;
};

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The stored text, or defaultValue when the value is absent or unreadable.
  virtual std::string GetSetting(const std::string& app, const std::string& section,
                                 const std::string& key, const std::string& defaultValue) = 0;
  // Runs edit on the settings as stored now, while no other copy of the
  // program can change them, then saves what it wrote (nothing when it wrote
  // nothing). edit runs once; keep slow work (reading browsers) outside it.
  virtual SettingsSaved change(const std::function<void(SettingsEditor&)>& edit) = 0;
  // One value: a change that writes it alone.
  SettingsSaved SaveSetting(const std::string& app, const std::string& section,
                            const std::string& key, const std::string& value) {
    return change([&](SettingsEditor& editor) { editor.SaveSetting(app, section, key, value); });
  }
};

}  // namespace platform
