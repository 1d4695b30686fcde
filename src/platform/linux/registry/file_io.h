// Whole-file reads with a size limit, and setting a damaged file aside.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/linux/common/posix_files.h"  // writeFileAtomically, atomicTempPrefix

namespace platform::linux_os {

enum class ReadStatus { Ok, Missing, NotRegular, TooLarge, Failed };

// Reads a regular file of at most maxSize bytes. Never blocks on a FIFO.
ReadStatus readWholeFile(const std::string& path, std::size_t maxSize, std::string& out);

// Renames `path` to `target`, or to `target`-2, -3 ... when that exists;
// returns the name used, "" on failure. An existing file is never replaced.
std::string renameAside(const std::string& path, const std::string& target);

}  // namespace platform::linux_os
