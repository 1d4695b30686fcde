// Whole-file reads with a size limit and crash-safe replacement of a file.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::linux_os {

enum class ReadStatus { Ok, Missing, NotRegular, TooLarge, Failed };

// Reads a regular file of at most maxSize bytes. Never blocks on a FIFO.
ReadStatus readWholeFile(const std::string& path, std::size_t maxSize, std::string& out);

// Replaces `path` so that a crash at any moment leaves either the old or the
// new content: a temporary file in the same folder is written, flushed to
// disk, renamed over the old one, and the folder is flushed. False on any
// failure, with the old file left as it was and no temporary file behind.
bool writeFileAtomically(const std::string& path, std::string_view content, mode_t mode);

// The prefix of the temporary files writeFileAtomically makes for `path`.
std::string atomicTempPrefix(const std::string& path);

// Renames `path` to `target`, or to `target`-2, -3 ... when that exists;
// returns the name used, "" on failure. An existing file is never replaced.
std::string renameAside(const std::string& path, const std::string& target);

}  // namespace platform::linux_os
