// Bounded random access to the bytes of an entry file, so that one parser
// serves both the real files (read with pread) and the fuzz targets (memory).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace browsers {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t size() const = 0;
  // Replaces out with the bytes [offset, offset + length); false when the
  // range is not wholly inside the source or cannot be read.
  virtual bool read(std::uint64_t offset, std::size_t length, std::string& out) = 0;
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  std::uint64_t size() const override { return bytes_.size(); }
  bool read(std::uint64_t offset, std::size_t length, std::string& out) override {
    if (offset > bytes_.size() || length > bytes_.size() - offset) return false;
    out.assign(bytes_.substr(static_cast<std::size_t>(offset), length));
    return true;
  }

 private:
  std::string_view bytes_;
};

// Integers of the two formats: Firefox writes big-endian, Chromium little-endian.
inline std::uint32_t loadBigEndian32(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return (std::uint32_t{u[0]} << 24) | (std::uint32_t{u[1]} << 16) | (std::uint32_t{u[2]} << 8) |
         std::uint32_t{u[3]};
}

inline std::uint32_t loadLittleEndian32(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return std::uint32_t{u[0]} | (std::uint32_t{u[1]} << 8) | (std::uint32_t{u[2]} << 16) |
         (std::uint32_t{u[3]} << 24);
}

inline std::uint64_t loadLittleEndian64(const char* p) {
  return std::uint64_t{loadLittleEndian32(p)} | (std::uint64_t{loadLittleEndian32(p + 4)} << 32);
}

// Whether a URI is one the URL cache lists: http or https, ASCII scheme
// compared without regard to case, and no NUL (the record's strings end at one).
bool isListableUrl(std::string_view uri);

}  // namespace browsers
