// The URL cache of the Windows internet library (WinINet), through its ANSI
// calls. Each entry is read from WinINet with its own size probe and then
// handed on in the interface's record, under the same probe contract.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/url_cache.h"

namespace platform::windows_os {

class WindowsUrlCache : public UrlCache {
 public:
  WindowsUrlCache();
  ~WindowsUrlCache() override;
  WindowsUrlCache(const WindowsUrlCache&) = delete;
  WindowsUrlCache& operator=(const WindowsUrlCache&) = delete;

  CacheHandle FindFirstUrlCacheEntry(void* buffer, std::uint32_t* size) override;
  bool FindNextUrlCacheEntry(CacheHandle handle, void* buffer, std::uint32_t* size) override;
  void FindCloseUrlCache(CacheHandle handle) override;
  bool DeleteUrlCacheEntry(const std::string& sourceUrlName) override;
  std::uint32_t GetLastError() const override { return lastError_; }

  struct Enumeration;

 private:
  bool deliver(Enumeration& enumeration, void* buffer, std::uint32_t* size);

  std::map<CacheHandle, std::unique_ptr<Enumeration>> enumerations_;
  CacheHandle next_ = 1;
  std::uint32_t lastError_ = 0;
};

}  // namespace platform::windows_os
