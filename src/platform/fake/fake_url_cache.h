// A URL cache held in memory, with the two-call contract of the real one:
// a size probe reports what the next entry needs (122), the fetch fills the
// buffer, the end is 259.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/url_cache.h"

namespace platform::fake {

class FakeUrlCache : public UrlCache {
 public:
  struct Entry {
    std::string sourceUrlName;
    std::uint32_t type = NORMAL_CACHE_ENTRY;
  };

  CacheHandle FindFirstUrlCacheEntry(void* buffer, std::uint32_t* size) override;
  bool FindNextUrlCacheEntry(CacheHandle handle, void* buffer, std::uint32_t* size) override;
  void FindCloseUrlCache(CacheHandle handle) override;
  // Records the name; removes matching entries unless the name is undeletable.
  bool DeleteUrlCacheEntry(const std::string& name) override;
  std::uint32_t GetLastError() const override { return lastError; }

  std::uint32_t lastError = 0;
  std::vector<std::string> deleted;
  std::vector<Entry> entries;         // empty: the cache is empty (259 at once)
  std::set<std::string> undeletable;  // deletion fails, the entry stays
  int fetchFailuresAfter = -1;        // >= 0: fetches after this many successes fail
  std::vector<CacheHandle> closed;    // every FindCloseUrlCache call, 0 included

  std::size_t openEnumerations() const { return cursors_.size(); }

 private:
  bool fetch(std::size_t& cursor, void* buffer, std::uint32_t* size);

  std::map<CacheHandle, std::size_t> cursors_;  // handle -> next entry index
  CacheHandle nextHandle_ = 1;
  int fetched_ = 0;
};

}  // namespace platform::fake
