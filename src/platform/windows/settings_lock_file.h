// One writer of the settings at a time on Windows. The settings live in the
// registry, where each value changes whole, but a value read, changed and
// written back (the keep list) by two copies of the program at once would
// lose one copy's change. A change therefore holds an exclusive lock
// (LockFileEx) on settings.lock in %LOCALAPPDATA%\Tracesweep; the system
// lets it go when the process ends, so a crash leaves no stale lock.
#pragma once

#include <string>

#include "platform/registry_settings_store.h"

namespace platform::windows_os {

class SettingsLockFile : public SettingsExclusion {
 public:
  // folder "" means %LOCALAPPDATA%\Tracesweep, read at each change.
  explicit SettingsLockFile(std::string folder = {}) : folder_(std::move(folder)) {}
  SettingsSaved exclusively(const std::function<SettingsSaved()>& apply) override;

 private:
  std::string folder_;
  bool held_ = false;  // a change inside a change holds the lock already
};

}  // namespace platform::windows_os
