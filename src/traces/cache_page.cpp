#include "traces/cache_page.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace traces {

namespace {

// One entry buffer, of exactly the size the probe reported; freed when it
// goes out of scope, so no path leaves it behind.
using EntryBuffer = std::unique_ptr<unsigned char[]>;

EntryBuffer allocateEntryBuffer(std::uint32_t size) {
  if (size < sizeof(std::uint32_t)) return nullptr;
  EntryBuffer buffer(new (std::nothrow) unsigned char[size]);
  if (buffer) std::memcpy(buffer.get(), &size, sizeof size);  // dwStructSize
  return buffer;
}

// The entry's name when it is a normal entry whose name lies inside the
// buffer; nothing otherwise.
const char* normalEntryName(const unsigned char* buffer, std::uint32_t size) {
  if (size < sizeof(platform::UrlCacheEntryInfo)) return nullptr;
  platform::UrlCacheEntryInfo info;
  std::memcpy(&info, buffer, sizeof info);
  if ((info.CacheEntryType & platform::NORMAL_CACHE_ENTRY) != platform::NORMAL_CACHE_ENTRY)
    return nullptr;
  const auto* name = reinterpret_cast<const unsigned char*>(info.lpszSourceUrlName);
  // Compared as addresses: a name pointing outside the buffer is never read.
  const auto begin = reinterpret_cast<std::uintptr_t>(buffer);
  const auto at = reinterpret_cast<std::uintptr_t>(name);
  if (at < begin || at >= begin + size) return nullptr;
  if (!std::memchr(name, '\0', size - (at - begin))) return nullptr;
  return info.lpszSourceUrlName;
}

}  // namespace

CachePage::CachePage(platform::Platform& platform, forms::PageHost host)
    : platform_(platform), host_(host) {}

void CachePage::GetCacheURLList() {
  forms::HourglassGuard busy(host_.form);
  List1.Clear();
  platform::UrlCache& cache = platform_.urlCache;
  std::vector<std::string> names;  // shown in one change when the walk ends

  std::uint32_t size = 0;
  platform::CacheHandle handle = cache.FindFirstUrlCacheEntry(nullptr, &size);
  EntryBuffer buffer;
  if (handle == 0 && cache.GetLastError() == platform::ERROR_INSUFFICIENT_BUFFER) {
    std::uint32_t allocated = size;
    buffer = allocateEntryBuffer(allocated);
    if (buffer) handle = cache.FindFirstUrlCacheEntry(buffer.get(), &size);
    bool fetched = buffer && handle != 0;
    while (fetched) {
      if (const char* name = normalEntryName(buffer.get(), allocated))
        names.push_back(GetStrFromPtrA(name));
      buffer.reset();
      size = 0;
      cache.FindNextUrlCacheEntry(handle, nullptr, &size);
      if (size == 0) break;
      allocated = size;
      buffer = allocateEntryBuffer(allocated);
      fetched = buffer && cache.FindNextUrlCacheEntry(handle, buffer.get(), &size);
    }
  }
  buffer.reset();
  cache.FindCloseUrlCache(handle);
  List1.setItems(std::move(names));
}

void CachePage::loadCacheContents() {
  GetCacheURLList();
}

std::string CachePage::GetStrFromPtrA(const char* address) {
  if (!address) return {};
  return std::string(address, std::strlen(address));
}

void CachePage::deletecache() {
  forms::HourglassGuard busy(host_.form);
  const bool deleteCookies = chkDelCachedPasswords.Value() == 1;
  const std::int64_t last = List1.ListCount() - 1;
  for (std::int64_t i = 0; i <= last; ++i) {
    const std::string& name = List1.List(i);
    if (!deleteCookies && name.find("Cookie") != std::string::npos) continue;
    platform_.urlCache.DeleteUrlCacheEntry(name);
  }
  GetCacheURLList();
}

void CachePage::invertsel() {
  const std::int64_t count = List1.ListCount();
  std::vector<bool> selection(static_cast<std::size_t>(count));
  for (std::int64_t i = 0; i < count; ++i)
    selection[static_cast<std::size_t>(i)] = !List1.Selected(i);
  List1.setSelection(std::move(selection));
}

void CachePage::cmdDelSelFromCache_Click() {
  // Every selected entry goes, not only the focused one; none selected deletes nothing.
  {
    forms::HourglassGuard busy(host_.form);
    for (std::int64_t i = List1.ListCount() - 1; i >= 0; --i)
      if (List1.Selected(i)) platform_.urlCache.DeleteUrlCacheEntry(List1.List(i));
  }
  GetCacheURLList();
}

void CachePage::cmdDelAllFromCache_Click() {
  host_.sbar.setPanelText(1, "Clearing cache...");
  deletecache();
  host_.sbar.setPanelText(1, "");
}

void CachePage::cmdinvertcachesel_Click() {
  invertsel();
}

}  // namespace traces
