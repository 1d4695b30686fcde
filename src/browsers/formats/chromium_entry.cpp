#include "browsers/formats/chromium_entry.h"

#include "browsers/formats/firefox_entry.h"  // kMaxCacheKeyBytes

namespace browsers {

namespace {

// The header layout has stayed the same from version 5 on.
constexpr std::uint32_t kMinVersion = 5;
constexpr std::uint32_t kMaxVersion = 9;

bool allDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

std::optional<std::string_view> chromiumKeyUrl(std::string_view key) {
  if (isListableUrl(key)) return key;  // keys of versions before the prefix
  const std::size_t first = key.find('/');
  if (first == std::string_view::npos) return std::nullopt;
  const std::size_t second = key.find('/', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  if (!allDigits(key.substr(0, first)) || !allDigits(key.substr(first + 1, second - first - 1)))
    return std::nullopt;
  std::string_view rest = key.substr(second + 1);
  if (rest.starts_with("_dk_")) {
    const std::size_t space = rest.rfind(' ');
    if (space == std::string_view::npos) return std::nullopt;
    rest = rest.substr(space + 1);
  }
  return rest;
}

std::optional<std::string> parseChromiumEntry(ByteSource& file, bool* damaged) {
  bool ignored = false;
  bool& broken = damaged ? *damaged : ignored;
  broken = true;
  std::string bytes;
  if (!file.read(0, kSimpleCacheHeaderSize, bytes)) return std::nullopt;
  if (loadLittleEndian64(bytes.data()) != kSimpleCacheMagic) return std::nullopt;
  const std::uint32_t version = loadLittleEndian32(bytes.data() + 8);
  if (version < kMinVersion || version > kMaxVersion) return std::nullopt;
  const std::uint32_t keyLength = loadLittleEndian32(bytes.data() + 12);
  if (keyLength == 0 || keyLength > kMaxCacheKeyBytes) return std::nullopt;
  if (!file.read(kSimpleCacheHeaderSize, keyLength, bytes)) return std::nullopt;
  const auto url = chromiumKeyUrl(bytes);
  if (!url) return std::nullopt;
  broken = false;
  if (!isListableUrl(*url)) return std::nullopt;
  return std::string(*url);
}

std::optional<std::string_view> simpleCacheHash(std::string_view fileName) {
  if (fileName.size() < 18 || fileName[16] != '_') return std::nullopt;
  for (std::size_t i = 0; i < 16; ++i) {
    const char c = fileName[i];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return std::nullopt;
  }
  return fileName.substr(0, 16);
}

}  // namespace browsers
