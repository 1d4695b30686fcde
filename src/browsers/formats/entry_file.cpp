#include "browsers/formats/entry_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "browsers/formats/chromium_entry.h"
#include "browsers/formats/firefox_entry.h"
#include "platform/linux/common/posix_fd.h"

namespace browsers {

namespace {

// One read brings in the part of the file that usually holds the key: the
// metadata at the end of a Firefox entry, the header at the start of a
// Chromium one. Anything outside it is read on demand.
constexpr std::size_t kFirefoxWindow = 16 * 1024;
constexpr std::size_t kChromiumWindow = 4 * 1024;

bool preadAll(int fd, char* out, std::size_t length, std::uint64_t offset) {
  while (length > 0) {
    const ssize_t n = pread(fd, out, length, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    out += n;
    length -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
  return true;
}

class FileSource : public ByteSource {
 public:
  FileSource(int fd, std::uint64_t size) : fd_(fd), size_(size) {}

  bool preload(std::uint64_t offset, std::size_t length) {
    window_.resize(length);
    windowOffset_ = offset;
    if (preadAll(fd_, window_.data(), length, offset)) return true;
    window_.clear();
    return false;
  }

  std::uint64_t size() const override { return size_; }

  bool read(std::uint64_t offset, std::size_t length, std::string& out) override {
    if (offset > size_ || length > size_ - offset) return false;
    if (offset >= windowOffset_ && offset + length <= windowOffset_ + window_.size()) {
      out.assign(window_, static_cast<std::size_t>(offset - windowOffset_), length);
      return true;
    }
    out.resize(length);
    return preadAll(fd_, out.data(), length, offset);
  }

 private:
  int fd_;
  std::uint64_t size_;
  std::string window_;
  std::uint64_t windowOffset_ = 0;
};

}  // namespace

platform::FileTime fileTimeFromUnix(std::int64_t seconds) {
  constexpr std::int64_t kEpochDelta = 11644473600;  // 1601-01-01 to 1970-01-01
  if (seconds <= 0) return 0;
  return static_cast<platform::FileTime>(seconds + kEpochDelta) * 10'000'000u;
}

std::optional<EntryFileInfo> readEntryFile(int dirFd, const char* name, EntryFormat format,
                                           bool* damaged) {
  bool ignored = false;
  bool& broken = damaged ? *damaged : ignored;
  broken = false;
  // O_NONBLOCK: opening a FIFO planted in the folder must not hang.
  const platform::linux_os::UniqueFd file(
      openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  const int fd = file.get();
  if (fd < 0) return std::nullopt;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  if (st.st_size <= 0) {
    broken = true;
    return std::nullopt;
  }
  const auto size = static_cast<std::uint64_t>(st.st_size);

  FileSource source(fd, size);
  EntryFileInfo info;
  info.size = size;
  info.lastModified = fileTimeFromUnix(st.st_mtim.tv_sec);
  if (format == EntryFormat::Firefox) {
    const std::size_t window =
        static_cast<std::size_t>(std::min<std::uint64_t>(size, kFirefoxWindow));
    if (!source.preload(size - window, window)) return std::nullopt;
    auto entry = parseFirefoxEntry(source, &broken);
    if (!entry) return std::nullopt;
    info.url = std::move(entry->url);
    info.useCount = entry->fetchCount;
    info.lastAccess = fileTimeFromUnix(entry->lastFetched);
    if (entry->lastModified != 0) info.lastModified = fileTimeFromUnix(entry->lastModified);
    if (entry->expiration != 0xFFFFFFFFu) info.expire = fileTimeFromUnix(entry->expiration);
  } else {
    const std::size_t window =
        static_cast<std::size_t>(std::min<std::uint64_t>(size, kChromiumWindow));
    if (!source.preload(0, window)) return std::nullopt;
    auto url = parseChromiumEntry(source, &broken);
    if (!url) return std::nullopt;
    info.url = std::move(*url);
    info.lastAccess = fileTimeFromUnix(st.st_atim.tv_sec);
  }
  return info;
}

}  // namespace browsers
