#include "browsers/formats/entry_file.h"

#include <algorithm>

#include "browsers/formats/chromium_entry.h"
#include "browsers/formats/firefox_entry.h"

namespace browsers {

namespace {

// One read brings in the part of the file that usually holds the key: the
// metadata at the end of a Firefox entry, the header at the start of a
// Chromium one. Anything outside it is read on demand.
constexpr std::size_t kFirefoxWindow = 16 * 1024;
constexpr std::size_t kChromiumWindow = 4 * 1024;

class FileSource : public ByteSource {
 public:
  explicit FileSource(const platform::files::ReadFile& file)
      : file_(file), size_(file.info().size) {}

  bool preload(std::uint64_t offset, std::size_t length) {
    window_.resize(length);
    windowOffset_ = offset;
    if (file_.readAt(offset, window_.data(), length)) return true;
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
    return file_.readAt(offset, out.data(), length);
  }

 private:
  const platform::files::ReadFile& file_;
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

std::optional<EntryFileInfo> readEntryFile(const platform::files::OpenFolder& folder,
                                           const std::string& name, EntryFormat format,
                                           bool* damaged) {
  bool ignored = false;
  bool& broken = damaged ? *damaged : ignored;
  broken = false;
  const platform::files::ReadFile file = folder.openFile(name);
  if (!file.valid()) return std::nullopt;
  if (file.info().size == 0) {
    broken = true;
    return std::nullopt;
  }
  const std::uint64_t size = file.info().size;

  FileSource source(file);
  EntryFileInfo info;
  info.size = size;
  info.lastModified = fileTimeFromUnix(file.info().modifiedNs / 1'000'000'000);
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
    info.lastAccess = fileTimeFromUnix(file.info().accessedNs / 1'000'000'000);
  }
  return info;
}

}  // namespace browsers
