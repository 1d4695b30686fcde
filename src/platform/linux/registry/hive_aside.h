// A second name for a damaged hive file, given before the mended hive takes
// its place, so that no moment exists at which neither is on disk.
#pragma once

#include <cstddef>
#include <string>

namespace platform::linux_os {

// Links `path` under `target` (or `target`-2, -3 ... when taken); the link is
// on disk when this returns. Returns the name used, "" on failure.
std::string linkAside(const std::string& path, const std::string& target);

// The same as a copy of a regular file of at most maxSize bytes, for file
// systems without hard links; the copy is flushed to disk before it returns.
std::string copyAside(const std::string& path, const std::string& target, std::size_t maxSize);

}  // namespace platform::linux_os
