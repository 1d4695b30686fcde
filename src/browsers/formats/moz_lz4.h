// Firefox's compressed JSON files (sessionstore.jsonlz4 and its backups):
// the magic "mozLz40\0", the decompressed size as a little-endian u32, then
// one LZ4 block.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace browsers {

// Decompressed files larger than this are refused: far above any real
// session, low enough to bound the memory a hostile file can ask for.
inline constexpr std::size_t kMaxMozLz4Bytes = 256u << 20;

// The decompressed bytes, or nothing for a file that is not a whole mozLz4
// file of at most kMaxMozLz4Bytes.
std::optional<std::string> decompressMozLz4(std::string_view file);

// The whole file for these bytes; nothing when they are too large.
std::optional<std::string> compressMozLz4(std::string_view data);

}  // namespace browsers
