// The values of HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run,
// kept as XDG autostart files in $XDG_CONFIG_HOME/autostart. Only files of
// our own naming that carry the value-name key are read, changed or removed;
// other programs' autostart files are never touched.
#pragma once

#include <string>
#include <vector>

#include "platform/registry_tree.h"

namespace platform::linux_os {

class AutostartFolder {
 public:
  struct Entry {
    std::string valueName;
    std::string data;
    std::string file;  // full path
    bool hidden = false;
  };

  // The folder, from the live environment.
  static std::string folder();
  // Every value's file, sorted by file name.
  static std::vector<Entry> entries();

  // Registry results: 0, 2 (no such value), 5, 13 (data not a program path), 1016.
  static long query(const std::string& valueName, RegValue& out);
  static long set(const std::string& valueName, const RegValue& value);
  static long remove(const std::string& valueName);
};

}  // namespace platform::linux_os
