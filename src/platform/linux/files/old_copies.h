// Whether overwriting a file in place reaches the data it held. The file
// system's kind says most (see file_system_kinds.h); the file itself says the
// rest: blocks shared with another file (a reflinked copy) keep the old data,
// and so does the journal of a file whose data is journaled.
#pragma once

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/common/file_system_kinds.h"
#include "platform/linux/common/mountinfo.h"

namespace platform::linux_os {

struct WhereDataLives {
  FileSystemKind kind = FileSystemKind::KeepsOldCopies;
  std::string fileSystem;     // as the user reads it: "btrfs", "ext4 with data=journal"
  bool sharedBlocks = false;  // kept because of blocks shared with another file
};

// What one operation learns of each file system once, by device: the kind
// (statfs), and where the kind depends on how it is mounted or is not in
// the table, the mount table's word.
class FileSystemsMet {
 public:
  // mountTable: the mount table to read, once, when needed.
  explicit FileSystemsMet(std::string mountTable = "/proc/self/mountinfo")
      : mountTable_(std::move(mountTable)) {}

  // The file system of dev, which the descriptor (O_PATH will do) is on.
  const FileSystemType& of(dev_t dev, int fd);
  // The same, with what the open file itself says.
  WhereDataLives forFile(dev_t dev, int fd);

 private:
  const MountEntry* mountOf(dev_t dev);

  std::string mountTable_;
  std::map<dev_t, FileSystemType> known_;
  std::optional<std::vector<MountEntry>> mounts_;
};

// Whether any of the open file's blocks is shared with another file (FIEMAP).
bool hasSharedBlocks(int fd);

// Whether the file's data goes through the journal (ext3/4's attribute "j").
bool journalsFileData(int fd);

}  // namespace platform::linux_os
