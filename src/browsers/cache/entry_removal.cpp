#include "browsers/cache/entry_removal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "browsers/formats/chromium_entry.h"
#include "platform/linux/common/posix_fd.h"

namespace browsers {

namespace {

// Opens a folder without following a link in its last component.
platform::linux_os::UniqueFd openFolder(const std::string& path) {
  return platform::linux_os::UniqueFd(
      open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

platform::linux_os::UniqueFd openFolderIn(int parent, const char* name) {
  return platform::linux_os::UniqueFd(
      parent < 0 ? -1 : openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

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
  const auto cache2 = openFolder(folder.root);
  if (cache2.get() < 0) return;
  for (const char* name : {"index", "index.log", "index.tmp"}) unlinkat(cache2.get(), name, 0);
}

void dropChromiumIndex(int cacheDataFd) {
  const auto indexDir = openFolderIn(cacheDataFd, "index-dir");
  if (indexDir.get() >= 0) unlinkat(indexDir.get(), "the-real-index", 0);
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
  const auto dir = openFolder(folder.path);
  if (dir.get() >= 0) dropChromiumIndex(dir.get());
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
  const auto dir = openFolder(folder.path);
  if (dir.get() < 0) return RemoveResult::Stale;
  const auto info = readEntryFile(dir.get(), ref.name.c_str(), folder.format);
  if (!info || info->url != url) return RemoveResult::Stale;

  if (folder.format == EntryFormat::Firefox) {
    if (!removeFile(dir.get(), ref.name)) return RemoveResult::Failed;
    dropFirefoxIndex(folder);
    return RemoveResult::Removed;
  }
  const bool removed = removeChromiumFiles(snapshot, ref, dir.get());
  dropChromiumIndex(dir.get());
  return removed ? RemoveResult::Removed : RemoveResult::Failed;
}

}  // namespace browsers
