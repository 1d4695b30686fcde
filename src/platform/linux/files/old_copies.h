// Whether overwriting a file in place reaches the data it held. On a
// copy-on-write file system (btrfs, ZFS, bcachefs), a log-structured one
// (F2FS, NILFS, UBIFS, JFFS2) or one that lives in memory and swap (tmpfs,
// ramfs) the new bytes go elsewhere and the old ones stay; so do they where
// the file's blocks are shared with another file (a reflinked copy).
#pragma once

#include <string>

namespace platform::linux_os {

struct OldCopies {
  bool kept = false;
  std::string fileSystem;     // its name, when kept ("btrfs")
  bool sharedBlocks = false;  // kept because of blocks shared with another file
};

// The file system's own verdict, by its type (statfs); f_type is its magic.
OldCopies oldCopiesOfFileSystem(long fileSystemType);

// Whether any of the open file's blocks is shared with another file (FIEMAP).
bool hasSharedBlocks(int fd);

// Whether the file system of type f_type can share blocks between files at all.
bool mayShareBlocks(long fileSystemType);

}  // namespace platform::linux_os
