// The browsers' URL cache, with the enumeration contract of the Windows
// internet cache: every fetch is preceded by a size probe.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

inline constexpr std::uint32_t ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr std::uint32_t ERROR_NO_MORE_ITEMS = 259;
inline constexpr std::uint32_t NORMAL_CACHE_ENTRY = 1;

using CacheHandle = std::uintptr_t;  // 0 is no handle

class UrlCache {
 public:
  virtual ~UrlCache() = default;
  virtual CacheHandle FindFirstUrlCacheEntry(void* buffer, std::uint32_t* size) = 0;
  virtual bool FindNextUrlCacheEntry(CacheHandle handle, void* buffer, std::uint32_t* size) = 0;
  virtual void FindCloseUrlCache(CacheHandle handle) = 0;
  virtual bool DeleteUrlCacheEntry(const std::string& sourceUrlName) = 0;
  virtual std::uint32_t GetLastError() const = 0;
};

}  // namespace platform
