// Setting a damaged file aside.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/linux/common/posix_files.h"  // readWholeFile, writeFileAtomically

namespace platform::linux_os {

// Renames `path` to `target`, or to `target`-2, -3 ... when that exists;
// returns the name used, "" on failure. An existing file is never replaced.
std::string renameAside(const std::string& path, const std::string& target);

}  // namespace platform::linux_os
