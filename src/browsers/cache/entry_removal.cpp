#include "browsers/cache/entry_removal.h"

#include <string_view>

#include "browsers/formats/chromium_entry.h"
#include "platform/file_access.h"
#include "platform/paths.h"

namespace browsers {

namespace {

using platform::files::OpenFolder;

// The hook of the removal under way (see removeCacheEntry).
thread_local const BeforeRemove* beforeRemove_ = nullptr;
thread_local const std::string* removingIn_ = nullptr;

// A planted link is removed, never followed: its target is kept.
bool removeFile(const OpenFolder& dir, const std::string& name) {
  if (beforeRemove_ && *beforeRemove_) (*beforeRemove_)(platform::pathBelow(*removingIn_, name));
  return dir.remove(name) == 0;
}

// Without its index the browser reads the entry files again at its next start.
void dropFirefoxIndex(const CacheFolder& folder) {
  const OpenFolder cache2 = OpenFolder::open(folder.root);
  for (const char* name : {"index", "index.log", "index.tmp"}) cache2.remove(name);
}

void dropChromiumIndex(const OpenFolder& cacheData) {
  cacheData.child("index-dir").remove("the-real-index");
}

bool removeChromiumFiles(const CacheSnapshot& snapshot, const EntryRef& ref,
                         const OpenFolder& dir) {
  const auto hash = simpleCacheHash(ref.name);
  if (!hash) return false;
  const std::string h(*hash);
  // _0 last: while it stays, the entry is still listed and can be retried.
  bool ok = removeFile(dir, h + "_1") && removeFile(dir, h + "_s");
  if (auto doomed = snapshot.doomedFiles.find(ref.folder); doomed != snapshot.doomedFiles.end()) {
    const std::string prefix = "todelete_" + h + "_";
    for (const std::string& name : doomed->second)
      if (name.starts_with(prefix)) ok = removeFile(dir, name) && ok;
  }
  return removeFile(dir, ref.name) && ok;
}

}  // namespace

void dropFolderIndex(const CacheFolder& folder) {
  if (folder.format == EntryFormat::Firefox) {
    dropFirefoxIndex(folder);
    return;
  }
  dropChromiumIndex(OpenFolder::open(folder.path));
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
  const OpenFolder dir = OpenFolder::open(folder.path);
  if (!dir.valid()) return RemoveResult::Stale;
  const auto info = readEntryFile(dir, ref.name, folder.format);
  if (!info || info->url != url) return RemoveResult::Stale;

  if (folder.format == EntryFormat::Firefox) {
    if (!removeFile(dir, ref.name)) return RemoveResult::Failed;
    dropFirefoxIndex(folder);
    return RemoveResult::Removed;
  }
  const bool removed = removeChromiumFiles(snapshot, ref, dir);
  dropChromiumIndex(dir);
  return removed ? RemoveResult::Removed : RemoveResult::Failed;
}

}  // namespace browsers
