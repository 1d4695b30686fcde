// Walks a folder tree without following links and without recursion.
#pragma once

#include <functional>
#include <string>

namespace platform::linux_os {

// See FileLayer::walkFiles. The walk stays on the mount of folder: a folder
// below it on another file system, or a bind mount, is left out entirely (a
// drive mounted inside the folder is not the folder's files).
int walkTree(const std::string& folder,
             const std::function<void(const std::string& relative)>& onFile);

}  // namespace platform::linux_os
