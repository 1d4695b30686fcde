// The per-user hive file: read once at start, replaced atomically on every
// change. A file that cannot be read completely is mended at load: it is kept
// under "<name>.bad-<time>" (never overwritten) and what could be read takes
// its place, in an order that leaves one of the two at <name> whenever the
// program may stop. Whoever writes the file (a change, a repair, the sweep of
// temporaries) holds the lock file "<name>.lock" beside it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/linux/registry/reg_file_format.h"

namespace platform::linux_os {

inline constexpr std::size_t kMaxHiveFile = 64u << 20;

struct HiveLoad {
  RegKeys keys;                       // what could be read
  std::vector<std::string> problems;  // why the file was mended; empty when it was sound
  std::string setAside;               // where the damaged file was kept; "" when not
  bool writable = true;  // false when a damaged file could not be mended and must stay as it is
};

class HiveFile {
 public:
  explicit HiveFile(std::string path) : path_(std::move(path)) {}
  // $XDG_CONFIG_HOME/tracesweep/registry.reg
  static std::string defaultPath();

  const std::string& path() const { return path_; }
  // The lock that every copy of the program holds while it writes the file.
  std::string lockPath() const { return path_ + ".lock"; }
  // Reads the file, mending it when it is damaged: call it with the lock held.
  HiveLoad load() const;
  // The file written anew; errno says why not.
  bool save(const RegKeys& keys) const;
  // Removes the temporaries of writes cut short (a kill, a crash). Only
  // with the lock held: every writer holds it until its temporary is gone,
  // so none found then has a live owner.
  void removeStaleTemporaries() const;

  // Where a repair stands; tests stop the program there.
  enum class RepairStep { KeptAside, Written };
  std::function<void(RepairStep)> onRepairStep;

 private:
  std::string setAsideName() const;
  void repair(HiveLoad& load) const;

  std::string path_;
};

}  // namespace platform::linux_os
