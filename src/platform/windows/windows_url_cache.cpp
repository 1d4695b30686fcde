#include "platform/windows/windows_url_cache.h"

#include <vector>

#include "platform/windows/win32.h"

namespace platform::windows_os {

namespace {

// A record that changed size between its probe and its fetch is probed again,
// a few times at most.
constexpr int kProbeRounds = 4;

platform::FileTime fileTimeOf(const ::FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

struct WindowsUrlCache::Enumeration {
  HANDLE find = nullptr;
  std::vector<unsigned char> record;  // the WinINet record of the pending entry
  bool pending = false;               // read from WinINet, not yet handed on

  ~Enumeration() {
    if (find) ::FindCloseUrlCache(find);
  }

  // Reads the next entry from WinINet: a size probe without a buffer, then
  // the fetch into a buffer of the size it reported. 0 or the system's error
  // (ERROR_NO_MORE_ITEMS at the end).
  DWORD readNext() {
    for (int round = 0; round < kProbeRounds; ++round) {
      DWORD size = 0;
      const bool probed = find ? ::FindNextUrlCacheEntryA(find, nullptr, &size) != FALSE
                               : keep(::FindFirstUrlCacheEntryA(nullptr, nullptr, &size));
      if (probed) return ERROR_INVALID_DATA;  // an entry that fits in no bytes
      const DWORD probe = ::GetLastError();
      if (probe != ERROR_INSUFFICIENT_BUFFER) return probe;
      record.assign(size, 0);
      auto* info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(record.data());
      if (size >= sizeof(DWORD)) info->dwStructSize = size;
      const bool fetched = find ? ::FindNextUrlCacheEntryA(find, info, &size) != FALSE
                                : keep(::FindFirstUrlCacheEntryA(nullptr, info, &size));
      if (fetched) {
        pending = true;
        return 0;
      }
      const DWORD error = ::GetLastError();
      if (error != ERROR_INSUFFICIENT_BUFFER) return error;
    }
    return ERROR_INSUFFICIENT_BUFFER;
  }

 private:
  bool keep(HANDLE handle) {
    if (!handle) return false;
    find = handle;
    return true;
  }
};

WindowsUrlCache::WindowsUrlCache() = default;
WindowsUrlCache::~WindowsUrlCache() = default;

bool WindowsUrlCache::deliver(Enumeration& e, void* buffer, std::uint32_t* size) {
  const auto* info = reinterpret_cast<const INTERNET_CACHE_ENTRY_INFOA*>(e.record.data());
  CacheEntryFields fields;
  if (info->lpszSourceUrlName) fields.sourceUrlName = info->lpszSourceUrlName;
  if (info->lpszLocalFileName) fields.localFileName = info->lpszLocalFileName;
  fields.type = info->CacheEntryType;
  fields.useCount = info->dwUseCount;
  fields.size = (static_cast<std::uint64_t>(info->dwSizeHigh) << 32) | info->dwSizeLow;
  fields.lastModified = fileTimeOf(info->LastModifiedTime);
  fields.expire = fileTimeOf(info->ExpireTime);
  fields.lastAccess = fileTimeOf(info->LastAccessTime);
  if (!fillCacheEntryBuffer(fields, buffer, size, lastError_)) return false;
  e.pending = false;
  return true;
}

platform::CacheHandle WindowsUrlCache::FindFirstUrlCacheEntry(void* buffer, std::uint32_t* size) {
  if (!size) {
    lastError_ = ERROR_INVALID_PARAMETER;
    return 0;
  }
  // Every first call starts a new enumeration; one that only probed ends here.
  auto e = std::make_unique<Enumeration>();
  if (const DWORD error = e->readNext()) {
    lastError_ = error;
    return 0;
  }
  if (!deliver(*e, buffer, size)) return 0;
  lastError_ = 0;
  const CacheHandle handle = next_++;
  enumerations_[handle] = std::move(e);
  return handle;
}

bool WindowsUrlCache::FindNextUrlCacheEntry(platform::CacheHandle handle, void* buffer,
                                            std::uint32_t* size) {
  auto it = enumerations_.find(handle);
  if (it == enumerations_.end()) {
    lastError_ = ERROR_INVALID_HANDLE;
    return false;
  }
  if (!size) {
    lastError_ = ERROR_INVALID_PARAMETER;
    return false;
  }
  Enumeration& e = *it->second;
  if (!e.pending) {
    if (const DWORD error = e.readNext()) {
      lastError_ = error;
      return false;
    }
  }
  if (!deliver(e, buffer, size)) return false;
  lastError_ = 0;
  return true;
}

void WindowsUrlCache::FindCloseUrlCache(platform::CacheHandle handle) {
  enumerations_.erase(handle);
}

bool WindowsUrlCache::DeleteUrlCacheEntry(const std::string& sourceUrlName) {
  if (::DeleteUrlCacheEntryA(sourceUrlName.c_str())) {
    lastError_ = 0;
    return true;
  }
  lastError_ = ::GetLastError();
  return false;
}

}  // namespace platform::windows_os
