#include "browsers/cache/cache_enumeration.h"

#include <algorithm>
#include <string_view>

#include "browsers/formats/chromium_entry.h"

namespace browsers {

CacheEnumeration::CacheEnumeration(std::shared_ptr<CacheSnapshot> snapshot)
    : snapshot_(std::move(snapshot)) {}

CacheEnumeration::~CacheEnumeration() {
  closeFolder();
}

void CacheEnumeration::closeFolder() {
  dir_ = platform::files::OpenFolder();
  names_.clear();
}

bool CacheEnumeration::openFolder() {
  // The folder itself must not be a link planted in place of the cache.
  const std::string& path = snapshot_->folders[folder_].path;
  dir_ = platform::files::OpenFolder::open(path);
  if (!dir_.valid()) return false;
  names_ = dir_.names();
  std::reverse(names_.begin(), names_.end());
  return true;
}

void CacheEnumeration::consider(const std::string& name) {
  if (name.empty() || name[0] == '.') return;
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
  auto info = readEntryFile(dir_, name, folder.format);
  if (!info) return;
  snapshot_->byUrl[info->url].push_back(EntryRef{folder_, name});
  pending_ = FoundEntry{std::move(*info), folder_, name};
}

const FoundEntry* CacheEnumeration::peek() {
  while (!pending_ && !done_) {
    if (!dir_.valid()) {
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
    if (names_.empty()) {
      closeFolder();
      ++folder_;
      continue;
    }
    const std::string name = std::move(names_.back());
    names_.pop_back();
    consider(name);
  }
  return pending_ ? &*pending_ : nullptr;
}

}  // namespace browsers
