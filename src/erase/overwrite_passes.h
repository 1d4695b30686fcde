// What the single-file and the batch wipe share: one overwrite pass, and the
// words that tell the user what became of a file.
#pragma once

#include <cstdint>
#include <string>

#include "erase/secure_wipe.h"
#include "platform/file_layer.h"

namespace erasure::detail {

inline constexpr std::int64_t kBlockSize = 1024;

// Why a file was removed without overwriting where no overwrite reaches.
inline constexpr const char* kOldCopiesReason = "this file system keeps old copies";
inline constexpr const char* kSharedBlocksReason =
    "its data is shared with a copy of it, which keeps the old data";
// Why a file was removed without overwriting on a file system in memory.
inline constexpr const char* kInMemoryReason = "this file system lives in memory and swap";
inline constexpr const char* kMountPointReason = "it is a mount point; left as it is";

// The words for a file overwritten whose name could not be removed.
std::string notRemovedReason(platform::System& platform, int error);

// The bytes a pass covers for a file of the given length: up to the next
// multiple of the block size past the end, so always at least one block more
// than the whole blocks the file holds.
inline std::int64_t passLength(std::int64_t length) {
  return (length / kBlockSize + 1) * kBlockSize;
}

// Writes 0x01 over passLength(current length) bytes from the start, in
// large writes, once per byte. 0 or an error number.
int overwritePass(platform::OverwriteTarget& target);

// Fills result for a file that the layer did not open for overwriting.
void describeSkip(platform::System& platform, const platform::OverwriteOpen& opened,
                  WipeResult& result);

// A file that was only removed (0 passes, other hard links, a link).
void removeOnly(platform::System& platform, platform::OverwriteOpen& opened, WipeResult& result);

std::string failureReason(platform::System& platform, const char* step, int error);

}  // namespace erasure::detail
