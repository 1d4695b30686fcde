// The folders of site data that stand for one origin each (IndexedDB,
// Cache Storage, storage buckets, Firefox's origin folders): listed with what
// kept them from being listed, and removed whole with the first thing that
// stayed. Chromium's Cache Storage folders are named by a hash; the origin is
// only in their index.txt, which therefore goes last, after everything else
// of the folder: a removal cut short leaves the folder findable.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clear_outcome.h"
#include "platform/file_access.h"

namespace browsers {

struct FolderScan {
  platform::files::OpenFolder folder;
  std::vector<std::string> names;
  std::string problem;  // "" or why the folder, which is there, could not be opened
};
// The names in the folder at path; none and no problem when it is not there.
FolderScan scanFolder(const std::string& path);

// What removing one folder came to: gone, or the first thing that stayed.
struct FolderRemoval {
  bool gone = true;
  platform::ClearFailure failure;  // where, and why
};
FolderRemoval removeFolderIn(const platform::files::OpenFolder& parent, const std::string& name);

struct CacheStorageFolders {
  FolderScan scan;
  std::map<std::string, std::string> siteOf;  // folder name -> site, from its index
  // Folders holding nothing at all: what a removal cut short between the
  // index and the folder itself leaves. No site's data is in them.
  std::vector<std::string> empty;
  std::vector<platform::ClearFailure> unreadable;  // an index there that cannot be read
};
CacheStorageFolders scanCacheStorage(const std::string& path);

// Removes one Cache Storage folder: its caches, then index.txt, then itself.
FolderRemoval removeCacheStorageFolder(const platform::files::OpenFolder& caches,
                                       const std::string& name);

// The site of a Cache Storage index (a protocol buffer: the caches, then
// the origin or storage key); "" for none.
std::string siteOfCacheStorageIndex(std::string_view index);

}  // namespace browsers
