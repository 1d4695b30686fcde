// Firefox-family disk cache entries (cache2/entries and cache2/doomed).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "browsers/formats/byte_source.h"

namespace browsers {

struct FirefoxEntry {
  std::string url;  // the http(s) URI of the key
  std::uint32_t version = 0;
  std::uint32_t fetchCount = 0;
  std::uint32_t lastFetched = 0;   // Unix seconds
  std::uint32_t lastModified = 0;  // Unix seconds
  std::uint32_t expiration = 0;    // Unix seconds, 0xFFFFFFFF for none
};

// Keys longer than this are skipped: far above the browsers' own URL limits
// for anything a page can load, low enough to bound every read.
inline constexpr std::uint32_t kMaxCacheKeyBytes = 256 * 1024;

// The URI of a cache key `*( tag [value] "," ) ":" URI`, or nothing when a
// tag is unknown or the key is malformed.
std::optional<std::string_view> firefoxKeyUri(std::string_view key);

// Parses the metadata at the end of an entry; nothing for a file that is not
// an entry of a known version, or whose key is not a listable http(s) URL.
// damaged (when given) tells the two apart: true when the record itself
// cannot be read, false when it was read and is simply not listed.
std::optional<FirefoxEntry> parseFirefoxEntry(ByteSource& file, bool* damaged = nullptr);

}  // namespace browsers
