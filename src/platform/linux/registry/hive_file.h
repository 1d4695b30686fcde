// The per-user hive file: read once at start, replaced atomically on every
// change. A file that cannot be read completely is kept aside under
// "<name>.bad-<time>" and never overwritten.
#pragma once

#include <string>
#include <vector>

#include "platform/linux/registry/reg_file_format.h"

namespace platform::linux_os {

inline constexpr std::size_t kMaxHiveFile = 64u << 20;

struct HiveLoad {
  RegKeys keys;                       // what could be read
  std::vector<std::string> problems;  // why the file was set aside
  std::string setAside;               // where it went; "" when it was sound
  bool writable = true;               // false when an unreadable file could not be moved away
  bool salvaged = false;              // keys came from a damaged file and are not on disk yet
};

class HiveFile {
 public:
  explicit HiveFile(std::string path) : path_(std::move(path)) {}
  // $XDG_CONFIG_HOME/tracesweep/registry.reg
  static std::string defaultPath();

  const std::string& path() const { return path_; }
  HiveLoad load() const;
  bool save(const RegKeys& keys) const;

 private:
  void removeStaleTemporaries() const;
  std::string setAsideName() const;

  std::string path_;
};

}  // namespace platform::linux_os
