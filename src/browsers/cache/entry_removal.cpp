#include "browsers/cache/entry_removal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "browsers/formats/chromium_entry.h"

namespace browsers {

namespace {

class Folder {
 public:
  // Opens a folder without following a link in its last component.
  explicit Folder(const std::string& path)
      : fd_(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)) {}
  Folder(int parent, const char* name)
      : fd_(parent < 0 ? -1
                       : openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)) {}
  ~Folder() {
    if (fd_ >= 0) close(fd_);
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

// The hook of the removal under way (see removeCacheEntry).
thread_local const BeforeRemove* beforeRemove_ = nullptr;
thread_local const std::string* removingIn_ = nullptr;

// unlinkat never follows a link: a planted link is removed, its target kept.
bool removeFile(int dirFd, const std::string& name) {
  if (beforeRemove_ && *beforeRemove_) (*beforeRemove_)(*removingIn_ + "/" + name);
  return unlinkat(dirFd, name.c_str(), 0) == 0 || errno == ENOENT;
}

// Without its index the browser reads the entry files again at its next start.
void dropFirefoxIndex(const CacheFolder& folder) {
  Folder cache2(folder.root);
  if (cache2.fd() < 0) return;
  for (const char* name : {"index", "index.log", "index.tmp"}) unlinkat(cache2.fd(), name, 0);
}

void dropChromiumIndex(int cacheDataFd) {
  Folder indexDir(cacheDataFd, "index-dir");
  if (indexDir.fd() >= 0) unlinkat(indexDir.fd(), "the-real-index", 0);
}

bool removeChromiumFiles(const CacheSnapshot& snapshot, const EntryRef& ref, int dirFd) {
  const auto hash = simpleCacheHash(ref.name);
  if (!hash) return false;
  const std::string h(*hash);
  // _0 last: while it stays, the entry is still listed and can be retried.
  bool ok = removeFile(dirFd, h + "_1") && removeFile(dirFd, h + "_s");
  if (auto doomed = snapshot.doomedFiles.find(ref.folder); doomed != snapshot.doomedFiles.end()) {
    const std::string prefix = "todelete_" + h + "_";
    for (const std::string& name : doomed->second)
      if (name.starts_with(prefix)) ok = removeFile(dirFd, name) && ok;
  }
  return removeFile(dirFd, ref.name) && ok;
}

}  // namespace

void dropFolderIndex(const CacheFolder& folder) {
  if (folder.format == EntryFormat::Firefox) {
    dropFirefoxIndex(folder);
    return;
  }
  Folder dir(folder.path);
  if (dir.fd() >= 0) dropChromiumIndex(dir.fd());
}

RemoveResult removeCacheEntry(const CacheSnapshot& snapshot, const EntryRef& ref,
                              const std::string& url, const BeforeRemove& beforeRemove) {
  const CacheFolder& folder = snapshot.folders.at(ref.folder);
  struct Hook {
    Hook(const BeforeRemove& hook, const std::string& in) {
      beforeRemove_ = &hook;
      removingIn_ = &in;
    }
    ~Hook() { beforeRemove_ = nullptr; }
  } hook(beforeRemove, folder.path);
  Folder dir(folder.path);
  if (dir.fd() < 0) return RemoveResult::Stale;
  const auto info = readEntryFile(dir.fd(), ref.name.c_str(), folder.format);
  if (!info || info->url != url) return RemoveResult::Stale;

  if (folder.format == EntryFormat::Firefox) {
    if (!removeFile(dir.fd(), ref.name)) return RemoveResult::Failed;
    dropFirefoxIndex(folder);
    return RemoveResult::Removed;
  }
  const bool removed = removeChromiumFiles(snapshot, ref, dir.fd());
  dropChromiumIndex(dir.fd());
  return removed ? RemoveResult::Removed : RemoveResult::Failed;
}

}  // namespace browsers
