// Walks a folder tree without following links and without recursion.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>

#include "platform/linux/common/posix_fd.h"

namespace platform::linux_os {

// See FileLayer::walkFiles. The walk stays on the mount of folder: a folder
// below it on another file system, or a bind mount, is not entered (a drive
// mounted inside the folder is not the folder's files) but is reported like
// a file, so that the wipe names it as a mount point it left.
int walkTree(const std::string& folder,
             const std::function<void(const std::string& relative)>& onFile);

// The same below a folder already open (a readable descriptor); onFolder,
// when given, hears of every folder entered ("" for the top one, then paths
// relative to it without a trailing "/") with its inode, before its files.
int walkTreeFrom(UniqueFd folder, const std::function<void(const std::string& relative)>& onFile,
                 const std::function<void(const std::string& folder, ino_t ino)>& onFolder);

}  // namespace platform::linux_os
