// A system without a URL cache of its own (the browsers' caches are sources
// of the cache area instead): the listing is empty, nothing can be deleted.
#pragma once

#include "platform/url_cache.h"

namespace platform {

class NoUrlCache : public UrlCache {
 public:
  CacheHandle FindFirstUrlCacheEntry(void* buffer, std::uint32_t* size) override;
  bool FindNextUrlCacheEntry(CacheHandle handle, void* buffer, std::uint32_t* size) override;
  void FindCloseUrlCache(CacheHandle /*handle*/) override {}
  bool DeleteUrlCacheEntry(const std::string& sourceUrlName) override;
  std::uint32_t GetLastError() const override { return lastError_; }

 private:
  std::uint32_t lastError_ = 0;
};

}  // namespace platform
