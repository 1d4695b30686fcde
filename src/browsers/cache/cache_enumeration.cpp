#include "browsers/cache/cache_enumeration.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <string_view>

#include "browsers/formats/chromium_entry.h"
#include "platform/linux/common/posix_fd.h"

namespace browsers {

CacheEnumeration::CacheEnumeration(std::shared_ptr<CacheSnapshot> snapshot)
    : snapshot_(std::move(snapshot)) {}

CacheEnumeration::~CacheEnumeration() {
  closeFolder();
}

void CacheEnumeration::closeFolder() {
  if (dir_) closedir(dir_);
  dir_ = nullptr;
}

bool CacheEnumeration::openFolder() {
  // The folder itself must not be a link planted in place of the cache.
  const std::string& path = snapshot_->folders[folder_].path;
  platform::linux_os::UniqueFd fd(
      open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!fd.valid()) return false;
  dir_ = fdopendir(fd.get());
  if (!dir_) return false;
  fd.release();  // the listing owns it now
  return true;
}

void CacheEnumeration::consider(const char* name, unsigned char type) {
  if (name[0] == '.' || (type != DT_REG && type != DT_UNKNOWN)) return;
  const CacheFolder& folder = snapshot_->folders[folder_];
  if (folder.format == EntryFormat::Chromium) {
    const std::string_view n(name);
    if (n.starts_with("todelete_")) {
      snapshot_->doomedFiles[folder_].emplace_back(n);
      return;
    }
    // Each entry has one _0 file (header, key, streams 0 and 1).
    if (!n.ends_with("_0") || n.size() != 18 || !simpleCacheHash(n)) return;
  }
  auto info = readEntryFile(dirfd(dir_), name, folder.format);
  if (!info) return;
  snapshot_->byUrl[info->url].push_back(EntryRef{folder_, name});
  pending_ = FoundEntry{std::move(*info), folder_, name};
}

const FoundEntry* CacheEnumeration::peek() {
  while (!pending_ && !done_) {
    if (!dir_) {
      if (folder_ >= snapshot_->folders.size()) {
        done_ = true;
        snapshot_->complete = true;
        break;
      }
      if (!openFolder()) {
        ++folder_;
        continue;
      }
    }
    const dirent* e = readdir(dir_);
    if (!e) {
      closeFolder();
      ++folder_;
      continue;
    }
    consider(e->d_name, e->d_type);
  }
  return pending_ ? &*pending_ : nullptr;
}

}  // namespace browsers
