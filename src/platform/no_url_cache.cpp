#include "platform/no_url_cache.h"

namespace platform {

CacheHandle NoUrlCache::FindFirstUrlCacheEntry(void* /*buffer*/, std::uint32_t* /*size*/) {
  lastError_ = ERROR_NO_MORE_ITEMS;
  return 0;
}

bool NoUrlCache::FindNextUrlCacheEntry(CacheHandle /*handle*/, void* /*buffer*/,
                                       std::uint32_t* /*size*/) {
  lastError_ = ERROR_NO_MORE_ITEMS;
  return false;
}

bool NoUrlCache::DeleteUrlCacheEntry(const std::string& /*sourceUrlName*/) {
  lastError_ = ERROR_FILE_NOT_FOUND;
  return false;
}

}  // namespace platform
