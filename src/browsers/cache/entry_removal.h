// Removing one entry's files from its cache folder, after checking that the
// file still holds the URL (the listing may be old), and making the browser
// rebuild its index of the folder at its next start.
#pragma once

#include <functional>
#include <string>

#include "browsers/cache/cache_snapshot.h"

namespace browsers {

enum class RemoveResult {
  Removed,  // the entry's files are gone
  Stale,    // the file is gone or holds another entry now
  Failed,   // it could not be removed
};

// beforeRemove, when set, is called with the path of each file of the entry
// once the entry is known to be the one asked for, just before the file's
// name is removed.
using BeforeRemove = std::function<void(const std::string& path)>;

RemoveResult removeCacheEntry(const CacheSnapshot& snapshot, const EntryRef& ref,
                              const std::string& url, const BeforeRemove& beforeRemove = {});

// Makes the browser rebuild its index of the folder at its next start.
void dropFolderIndex(const CacheFolder& folder);

}  // namespace browsers
