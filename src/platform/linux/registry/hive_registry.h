// HKEY_CURRENT_USER on Linux: the keys live in the per-user hive file, which
// is rewritten atomically after every change, and two keys are live views:
//   Software\Microsoft\Windows\CurrentVersion\Run  - the XDG autostart folder
//   Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders
//                                                 - read-only, from the environment
// Another copy of the program (the command line beside the tray) may change
// the file. Every change is made under the hive's lock file, to the file as
// it is at that moment (read again when it changed), and saved before the
// lock is let go; a read also reads the file again when it changed. So
// neither copy works on, or writes back, an old state. The hive uses
// RegistryTree::onChanged to learn of changes; leave it alone.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/linux/common/file_lock.h"
#include "platform/linux/registry/hive_file.h"
#include "platform/registry_settings_store.h"
#include "platform/registry_tree.h"

namespace platform::linux_os {

inline constexpr long kErrorInvalidParameter = 87;
inline constexpr long kErrorRegistryIo = 1016;

class HiveRegistry : public RegistryTree, public SettingsExclusion {
 public:
  // The hive at $XDG_CONFIG_HOME/tracesweep/registry.reg.
  HiveRegistry();
  explicit HiveRegistry(std::string hivePath);

  const std::string& hivePath() const { return hive_.path(); }
  // Where an unreadable hive was kept aside at load ("" when it was sound),
  // and what was wrong with it.
  const std::string& setAsideFile() const { return setAside_; }
  const std::vector<std::string>& loadProblems() const { return problems_; }
  RegistryRepair loadRepair() const override { return {problems_, setAside_}; }

  // Runs apply as one change: under the lock, on the file as stored now;
  // the calls it makes save nothing of their own, what they changed is saved
  // once at the end. When apply fails or the save does, nothing of it stays,
  // in the file or in memory.
  SettingsSaved exclusively(const std::function<SettingsSaved()>& apply) override;

  // Changes are saved before the call returns; 1016 when the file could not
  // be written (the change is then undone, and the file is as it was).
  long RegOpenKey(HKEY root, const std::string& subKey, HKEY& key) override;
  long RegOpenKeyEx(HKEY root, const std::string& subKey, std::uint32_t options,
                    std::uint32_t access, HKEY& key) override;
  long RegQueryValueEx(HKEY key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                       std::uint32_t* size) override;
  long RegCreateKey(HKEY root, const std::string& subKey, HKEY& key) override;
  long RegSetValueEx(HKEY key, const std::string& name, std::uint32_t type,
                     const std::uint8_t* data, std::uint32_t size) override;
  long RegDeleteValue(HKEY key, const std::string& name) override;

 protected:
  bool liveQuery(const std::string& keyPath, const std::string& name, RegValue& out,
                 long& result) override;
  bool liveSet(const std::string& keyPath, const std::string& name, const RegValue& value,
               long& result) override;
  bool liveDelete(const std::string& keyPath, const std::string& name, long& result) override;
  bool liveKeyExists(const std::string& keyPath) override;

 private:
  // Runs one call that changes the hive, as a change of its own unless it
  // is part of one already; its result, or 1016 when it could not be saved.
  long changeOne(const std::function<long()>& call);
  // Takes the lock (making the hive's folder) and reads the file again when
  // it changed; "" or why the change cannot be made.
  std::string beginChange();
  // Saves what the change did (when keep) or forgets it, and lets the lock
  // go; "" or why it could not be saved.
  std::string endChange(bool keep);
  // Reads the file again when it changed since it was last read or written.
  // With the lock, taken here when the file is there and it is not held.
  void refreshFromFile();
  void readFile();
  bool isLiveKey(HKEY key) const;
  // The file as last read or written. Every save is a new file renamed into
  // place, so its inode tells a change that the clock's grain would hide.
  struct FileStamp {
    bool present = false;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    bool operator==(const FileStamp&) const = default;
  };
  FileStamp stampOfFile() const;

  HiveFile hive_;
  FileLock lock_;  // held during a change
  bool inChange_ = false;
  bool writable_ = true;
  bool dirty_ = false;
  FileStamp stamp_;
  std::string setAside_;
  std::vector<std::string> problems_;
};

}  // namespace platform::linux_os
