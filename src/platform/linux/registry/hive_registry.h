// HKEY_CURRENT_USER on Linux: the keys live in the per-user hive file, which
// is rewritten atomically after every change, and two keys are live views:
//   Software\Microsoft\Windows\CurrentVersion\Run  - the XDG autostart folder
//   Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders
//                                                 - read-only, from the environment
// Another copy of the program (the command line beside the tray) may change
// the file: a hive with no change of its own waiting is read again whenever
// the file changed since it was last read or written, before a key is opened,
// a value read or a change made, so that neither copy works on, or writes
// back, an old state. The hive uses RegistryTree::onChanged to learn of
// changes; leave it alone.
#pragma once

#include <string>
#include <vector>

#include "platform/linux/registry/hive_file.h"
#include "platform/registry_tree.h"

namespace platform::linux_os {

inline constexpr long kErrorInvalidParameter = 87;
inline constexpr long kErrorRegistryIo = 1016;

class HiveRegistry : public RegistryTree {
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

  // Changes are saved before the call returns; 1016 when the file could not
  // be written (the change then stays in memory and is saved with the next).
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
  long saveIfChanged(long result);
  // Reads the file again when it changed under us and nothing of ours waits.
  void refreshFromFile();
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
  bool writable_ = true;
  bool dirty_ = false;
  FileStamp stamp_;
  std::string setAside_;
  std::vector<std::string> problems_;
};

}  // namespace platform::linux_os
