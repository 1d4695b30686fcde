#include "browsers/formats/moz_lz4.h"

#include <lz4.h>

#include <cstdint>
#include <cstring>

namespace browsers {

namespace {

constexpr char kMagic[8] = {'m', 'o', 'z', 'L', 'z', '4', '0', '\0'};
constexpr std::size_t kHeaderSize = sizeof kMagic + 4;

}  // namespace

std::optional<std::string> decompressMozLz4(std::string_view file) {
  if (file.size() < kHeaderSize || std::memcmp(file.data(), kMagic, sizeof kMagic) != 0)
    return std::nullopt;
  const auto* s = reinterpret_cast<const unsigned char*>(file.data() + sizeof kMagic);
  const std::uint32_t size = std::uint32_t{s[0]} | (std::uint32_t{s[1]} << 8) |
                             (std::uint32_t{s[2]} << 16) | (std::uint32_t{s[3]} << 24);
  const std::size_t block = file.size() - kHeaderSize;
  if (size > kMaxMozLz4Bytes || block > static_cast<std::size_t>(LZ4_MAX_INPUT_SIZE))
    return std::nullopt;
  std::string out(size, '\0');
  if (size == 0)
    return block == 0 || (block == 1 && file.back() == 0) ? std::optional(out) : std::nullopt;
  const int n = LZ4_decompress_safe(file.data() + kHeaderSize, out.data(), static_cast<int>(block),
                                    static_cast<int>(size));
  if (n < 0 || static_cast<std::uint32_t>(n) != size) return std::nullopt;
  return out;
}

std::optional<std::string> compressMozLz4(std::string_view data) {
  if (data.size() > kMaxMozLz4Bytes) return std::nullopt;
  const int bound = LZ4_compressBound(static_cast<int>(data.size()));
  if (bound <= 0) return std::nullopt;
  std::string file(kHeaderSize + static_cast<std::size_t>(bound), '\0');
  std::memcpy(file.data(), kMagic, sizeof kMagic);
  const auto size = static_cast<std::uint32_t>(data.size());
  for (int i = 0; i < 4; ++i) file[sizeof kMagic + i] = static_cast<char>((size >> (8 * i)) & 0xff);
  const int n = LZ4_compress_default(data.data(), file.data() + kHeaderSize,
                                     static_cast<int>(data.size()), bound);
  if (n <= 0) return std::nullopt;
  file.resize(kHeaderSize + static_cast<std::size_t>(n));
  return file;
}

}  // namespace browsers
