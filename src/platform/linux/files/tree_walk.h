// Walks a folder tree without following links and without recursion.
#pragma once

#include <functional>
#include <string>

namespace platform::linux_os {

// See FileLayer::walkFiles.
int walkTree(const std::string& folder,
             const std::function<void(const std::string& relative)>& onFile);

}  // namespace platform::linux_os
