// The system's URL cache (the Windows internet cache), with its enumeration
// contract: every fetch is preceded by a size probe.
//
// FindFirstUrlCacheEntry / FindNextUrlCacheEntry take a buffer (or none) and
// its size in bytes. When the buffer is missing or smaller than the entry
// needs, the call fails, GetLastError() is ERROR_INSUFFICIENT_BUFFER and the
// size needed is written back; the entry stays the next one to be fetched.
// When no entry is left, the call fails with ERROR_NO_MORE_ITEMS and leaves
// the size unchanged. A successful fetch fills the buffer with a
// UrlCacheEntryInfo record followed by the strings it points to.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry.h"  // ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_INVALID_HANDLE

namespace platform {

inline constexpr std::uint32_t ERROR_SHARING_VIOLATION = 32;  // the entry's browser runs
inline constexpr std::uint32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr std::uint32_t ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr std::uint32_t ERROR_NO_MORE_ITEMS = 259;
inline constexpr std::uint32_t NORMAL_CACHE_ENTRY = 1;

using CacheHandle = std::uintptr_t;  // 0 is no handle

// Times are FILETIME values: 100-nanosecond intervals since 1601-01-01 UTC,
// 0 when unknown.
using FileTime = std::uint64_t;

// The fixed part of an entry record, in the order of the Windows
// INTERNET_CACHE_ENTRY_INFOA. Its strings follow it in the same buffer; the
// pointers point there, or are null. dwStructSize is the size of this fixed
// part on return.
struct UrlCacheEntryInfo {
  std::uint32_t dwStructSize;
  const char* lpszSourceUrlName;
  const char* lpszLocalFileName;  // the entry's (first) file
  std::uint32_t CacheEntryType;
  std::uint32_t dwUseCount;
  std::uint32_t dwHitRate;
  std::uint32_t dwSizeLow;
  std::uint32_t dwSizeHigh;
  FileTime LastModifiedTime;
  FileTime ExpireTime;
  FileTime LastAccessTime;
  FileTime LastSyncTime;
  const char* lpHeaderInfo;
  std::uint32_t dwHeaderInfoSize;
  const char* lpszFileExtension;
  std::uint32_t dwExemptDelta;
  // Beyond the Windows record: the browser and profile whose cache holds the
  // entry (a string in the same buffer), or null when not known.
  const char* lpszBrowser;
};

class UrlCache {
 public:
  virtual ~UrlCache() = default;
  virtual CacheHandle FindFirstUrlCacheEntry(void* buffer, std::uint32_t* size) = 0;
  virtual bool FindNextUrlCacheEntry(CacheHandle handle, void* buffer, std::uint32_t* size) = 0;
  virtual void FindCloseUrlCache(CacheHandle handle) = 0;
  // Removes every file of every entry whose source name is sourceUrlName.
  // False when none was found (ERROR_FILE_NOT_FOUND) or one could not be
  // removed (ERROR_SHARING_VIOLATION while its browser runs).
  virtual bool DeleteUrlCacheEntry(const std::string& sourceUrlName) = 0;
  virtual std::uint32_t GetLastError() const = 0;
};

// What an implementation knows of one entry, before it is packed.
struct CacheEntryFields {
  std::string_view sourceUrlName;
  std::string_view localFileName;
  std::string_view browser;  // "" when not known: lpszBrowser is then null
  std::uint32_t type = NORMAL_CACHE_ENTRY;
  std::uint32_t useCount = 0;
  std::uint64_t size = 0;
  FileTime lastModified = 0;
  FileTime expire = 0;
  FileTime lastAccess = 0;
};

// Bytes the record of these fields needs: the fixed part and its strings
// with their NULs.
std::uint32_t cacheEntryInfoSize(const CacheEntryFields& fields);

// The shared half of both find calls: packs the record into buffer when it
// fits (true, *size set to the bytes used), else writes the size needed into
// *size and sets lastError to ERROR_INSUFFICIENT_BUFFER (ERROR_INVALID_PARAMETER
// when size is null).
bool fillCacheEntryBuffer(const CacheEntryFields& fields, void* buffer, std::uint32_t* size,
                          std::uint32_t& lastError);

}  // namespace platform
