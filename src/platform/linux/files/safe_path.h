// Opening folders one name at a time, never through a symbolic link, so that
// a folder swapped for a link after it was listed leads nowhere.
#pragma once

#include <sys/types.h>

#include <string>

#include "platform/linux/common/posix_fd.h"

namespace platform::linux_os {

// Where a folder lies: its device and inode, and whether it is the root of a
// mount (a bind mount of the same file system has the same device).
struct FolderIdentity {
  dev_t dev = 0;
  ino_t ino = 0;
  bool mountRoot = false;
};

bool identify(int folderFd, FolderIdentity& identity);

// Opens each "/"-separated name of relative below base with O_NOFOLLOW. When
// mountOf (the identity of base) is given, a folder on another mount than
// base is refused (EXDEV). On failure the descriptor is invalid and errno says
// why (ELOOP or ENOTDIR for a link on the way, EACCES for "..").
UniqueFd openFolderBelow(int base, const std::string& relative,
                         const FolderIdentity* mountOf = nullptr);

// The same from "/": an absolute path that holds no link at all.
UniqueFd openFolderWithoutLinks(const std::string& absolute);

std::string withoutTrailingSlashes(std::string path);

}  // namespace platform::linux_os
