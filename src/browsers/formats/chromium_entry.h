// Chromium-family Simple Cache entries (Cache/Cache_Data/<hash>_0).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "browsers/formats/byte_source.h"

namespace browsers {

inline constexpr std::uint64_t kSimpleCacheMagic = 0xfcfb6d1ba7725c30ull;
inline constexpr std::size_t kSimpleCacheHeaderSize = 24;

// The URL of a key `credential/post/[isolation]url` (an isolated key
// `_dk_<sites> <url>` ends in the URL after its last space); a bare http(s)
// key of older versions is its own URL. Nothing when malformed.
std::optional<std::string_view> chromiumKeyUrl(std::string_view key);

// Reads the header and key at the start of an entry file; nothing for a file
// that is not an entry or whose key is not a listable http(s) URL.
// damaged (when given): true when the header or key cannot be read, false
// when the entry was read and is simply not listed.
std::optional<std::string> parseChromiumEntry(ByteSource& file, bool* damaged = nullptr);

// Whether a Cache_Data file name is `<16 lower-case hex>_<suffix>`; gives the hash.
std::optional<std::string_view> simpleCacheHash(std::string_view fileName);

}  // namespace browsers
