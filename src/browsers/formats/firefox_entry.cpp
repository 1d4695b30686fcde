#include "browsers/formats/firefox_entry.h"

#include <string_view>

namespace browsers {

namespace {

constexpr std::uint64_t kChunkSize = 256 * 1024;
constexpr std::uint32_t kMinVersion = 1;
constexpr std::uint32_t kMaxVersion = 4;

bool knownTag(char tag) {
  switch (tag) {
    case 'O':  // origin attributes
    case 'a':  // anonymous
    case 'p':  // private
    case '~':  // id extension
    case 'b':  // legacy in-browser flag
    case 'i':  // legacy app id
      return true;
    default:
      return false;
  }
}

}  // namespace

std::optional<std::string_view> firefoxKeyUri(std::string_view key) {
  std::size_t i = 0;
  while (i < key.size()) {
    const char tag = key[i++];
    if (tag == ':') return key.substr(i);
    if (!knownTag(tag)) return std::nullopt;
    // The tag's value runs to a single comma; a doubled comma is a literal one.
    bool ended = false;
    while (i < key.size() && !ended) {
      if (key[i] != ',') {
        ++i;
      } else if (i + 1 < key.size() && key[i + 1] == ',') {
        i += 2;
      } else {
        ++i;
        ended = true;
      }
    }
    if (!ended) return std::nullopt;
  }
  return std::nullopt;
}

std::optional<FirefoxEntry> parseFirefoxEntry(ByteSource& file, bool* damaged) {
  bool ignored = false;
  bool& broken = damaged ? *damaged : ignored;
  broken = true;
  const std::uint64_t size = file.size();
  std::string bytes;
  if (size < 4 || !file.read(size - 4, 4, bytes)) return std::nullopt;
  const std::uint64_t metaStart = loadBigEndian32(bytes.data());
  if (metaStart >= size - 4) return std::nullopt;

  // Metadata: hash, one u16 hash per chunk of the body, then the header.
  const std::uint64_t chunks = (metaStart + kChunkSize - 1) / kChunkSize;
  const std::uint64_t headerStart = metaStart + 4 + 2 * chunks;
  if (headerStart + 4 > size - 4 || !file.read(headerStart, 4, bytes)) return std::nullopt;
  FirefoxEntry entry;
  entry.version = loadBigEndian32(bytes.data());
  if (entry.version < kMinVersion || entry.version > kMaxVersion) return std::nullopt;
  const std::uint64_t headerSize = entry.version == 1 ? 28 : 32;  // version 1 has no flags
  if (headerStart + headerSize > size - 4 || !file.read(headerStart, headerSize, bytes))
    return std::nullopt;
  const char* h = bytes.data();
  entry.fetchCount = loadBigEndian32(h + 4);
  entry.lastFetched = loadBigEndian32(h + 8);
  entry.lastModified = loadBigEndian32(h + 12);
  entry.expiration = loadBigEndian32(h + 20);
  const std::uint32_t keySize = loadBigEndian32(h + 24);
  if (keySize == 0 || keySize > kMaxCacheKeyBytes) return std::nullopt;

  // The key and its NUL lie before the final offset word.
  const std::uint64_t keyStart = headerStart + headerSize;
  if (keyStart + keySize + 1 > size - 4 || !file.read(keyStart, keySize + 1, bytes))
    return std::nullopt;
  if (bytes.back() != '\0') return std::nullopt;
  bytes.pop_back();
  const auto uri = firefoxKeyUri(bytes);
  if (!uri) return std::nullopt;
  broken = false;
  if (!isListableUrl(*uri)) return std::nullopt;
  entry.url.assign(*uri);
  return entry;
}

}  // namespace browsers
