// The system's URL cache (WinINet's shape) as a source of the cache area:
// the Windows program's cache, and what the Cache page clears when it is
// given no sources. An entry is deleted by its URL (every line of it). It
// never overwrites: the URL cache removes its files itself.
#pragma once

#include "core/cache_area.h"
#include "platform/url_cache.h"

namespace core {

class UrlCacheSource : public CacheSource {
 public:
  explicit UrlCacheSource(platform::UrlCache& cache) : cache_(cache) {}

  void list(CachePlan& plan, std::size_t self) override;
  void remove(const std::vector<const CacheEntry*>& entries, const CacheOptions& options,
              const Progress& progress, platform::ClearOutcome& outcome,
              std::vector<bool>& gone) override;
  platform::ClearOutcome removeDamaged(const CacheOptions& options) override;
  platform::ClearOutcome previewDamaged(const CacheOptions& options) override;

 private:
  platform::UrlCache& cache_;
};

}  // namespace core
