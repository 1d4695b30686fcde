// Opening folders one name at a time, never through a symbolic link, so that
// a folder swapped for a link after it was listed leads nowhere.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <string>

#include "platform/linux/common/posix_fd.h"
#include "platform/linux/common/posix_files.h"  // withoutTrailingSlashes

namespace platform::linux_os {

// Where a folder (or any entry) lies: its device and inode, its mount, and
// whether it is the root of a mount (a bind mount of the same file system
// has the same device).
struct FolderIdentity {
  dev_t dev = 0;
  ino_t ino = 0;
  bool mountRoot = false;
  std::uint64_t mountId = 0;
  bool mountIdKnown = false;  // kernels before 5.8 do not tell
};

bool identify(int folderFd, FolderIdentity& identity);

// One statx of a held entry (O_PATH will do, a link is not followed): what
// stat tells of it, and where it lies.
bool identifyEntry(int fd, struct stat& st, FolderIdentity& identity);
// The same for the entry name in a folder (a mount on the name is crossed).
bool identifyEntryAt(int folderFd, const char* name, struct stat& st, FolderIdentity& identity);

// True when entry lies on the mount of folder and is not itself the root of a
// mount: by mount id where the kernel tells it, else by device.
bool onMountOf(const FolderIdentity& folder, const FolderIdentity& entry);

// Opens each "/"-separated name of relative below base with O_NOFOLLOW. When
// mountOf (the identity of base) is given, a folder on another mount than
// base is refused (EXDEV). On failure the descriptor is invalid and errno says
// why (ELOOP or ENOTDIR for a link on the way, EACCES for "..").
UniqueFd openFolderBelow(int base, const std::string& relative,
                         const FolderIdentity* mountOf = nullptr);

// The same from "/": an absolute path that holds no link at all.
UniqueFd openFolderWithoutLinks(const std::string& absolute);

}  // namespace platform::linux_os
