#include "platform/fake/fake_url_cache.h"

#include <algorithm>

namespace platform::fake {

bool FakeUrlCache::fetch(std::size_t& cursor, void* buffer, std::uint32_t* size) {
  if (cursor >= entries.size()) {
    lastError = ERROR_NO_MORE_ITEMS;
    return false;
  }
  const bool probe = buffer == nullptr;
  if (!probe && fetchFailuresAfter >= 0 && fetched_ >= fetchFailuresAfter) {
    lastError = ERROR_INVALID_PARAMETER;
    return false;
  }
  CacheEntryFields fields;
  fields.sourceUrlName = entries[cursor].sourceUrlName;
  fields.type = entries[cursor].type;
  if (!fillCacheEntryBuffer(fields, buffer, size, lastError)) return false;
  ++cursor;
  ++fetched_;
  return true;
}

CacheHandle FakeUrlCache::FindFirstUrlCacheEntry(void* buffer, std::uint32_t* size) {
  std::size_t cursor = 0;
  if (!fetch(cursor, buffer, size)) return 0;
  const CacheHandle handle = nextHandle_++;
  cursors_[handle] = cursor;
  return handle;
}

bool FakeUrlCache::FindNextUrlCacheEntry(CacheHandle handle, void* buffer, std::uint32_t* size) {
  auto it = cursors_.find(handle);
  if (it == cursors_.end()) {
    lastError = ERROR_INVALID_HANDLE;
    return false;
  }
  return fetch(it->second, buffer, size);
}

void FakeUrlCache::FindCloseUrlCache(CacheHandle handle) {
  closed.push_back(handle);
  cursors_.erase(handle);
}

bool FakeUrlCache::DeleteUrlCacheEntry(const std::string& name) {
  deleted.push_back(name);
  if (undeletable.count(name)) {
    lastError = ERROR_SHARING_VIOLATION;
    return false;
  }
  std::erase_if(entries, [&](const Entry& e) { return e.sourceUrlName == name; });
  return true;
}

}  // namespace platform::fake
