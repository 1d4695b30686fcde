#include "core/url_cache_source.h"

#include <cstring>
#include <memory>
#include <new>

namespace core {

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

// A string of the record when it lies wholly inside the buffer; null otherwise.
const char* stringInBuffer(const unsigned char* buffer, std::uint32_t size, const char* text) {
  // Compared as addresses: a string pointing outside the buffer is never read.
  const auto begin = reinterpret_cast<std::uintptr_t>(buffer);
  const auto at = reinterpret_cast<std::uintptr_t>(text);
  if (!text || at < begin || at >= begin + size) return nullptr;
  if (!std::memchr(text, '\0', size - (at - begin))) return nullptr;
  return text;
}

// The entry's name and browser when it is a normal entry whose name lies
// inside the buffer; false otherwise.
bool normalEntry(const unsigned char* buffer, std::uint32_t size, const char*& name,
                 const char*& browser) {
  if (size < sizeof(platform::UrlCacheEntryInfo)) return false;
  platform::UrlCacheEntryInfo info;
  std::memcpy(&info, buffer, sizeof info);
  if ((info.CacheEntryType & platform::NORMAL_CACHE_ENTRY) != platform::NORMAL_CACHE_ENTRY)
    return false;
  name = stringInBuffer(buffer, size, info.lpszSourceUrlName);
  browser = stringInBuffer(buffer, size, info.lpszBrowser);
  return name != nullptr;
}

// One enumeration of the cache: a size probe before every fetch, one buffer
// of exactly the probed size alive at a time. Whatever way the walk ends, the
// buffer is freed and then the handle closed (handle 0 too).
class CacheWalk {
 public:
  explicit CacheWalk(platform::UrlCache& cache) : cache_(cache) {}
  ~CacheWalk() {
    buffer_.reset();
    cache_.FindCloseUrlCache(handle_);
  }
  CacheWalk(const CacheWalk&) = delete;
  CacheWalk& operator=(const CacheWalk&) = delete;

  // Appends every normal entry, in the cache's order; a failed probe,
  // allocation or fetch ends the walk with the entries found so far.
  void readAll(std::vector<CacheEntry>& entries, std::size_t self) {
    std::uint32_t size = 0;
    handle_ = cache_.FindFirstUrlCacheEntry(nullptr, &size);
    if (handle_ != 0 || cache_.GetLastError() != platform::ERROR_INSUFFICIENT_BUFFER) return;
    if (!allocate(size)) return;
    handle_ = cache_.FindFirstUrlCacheEntry(buffer_.get(), &size);
    bool fetched = handle_ != 0;
    while (fetched) {
      const char* name = nullptr;
      const char* browser = nullptr;
      if (normalEntry(buffer_.get(), allocated_, name, browser)) {
        entries.push_back({name, browser ? browser : "", self});
      }
      buffer_.reset();
      size = 0;
      cache_.FindNextUrlCacheEntry(handle_, nullptr, &size);
      if (size == 0) return;  // no entry left
      fetched = allocate(size) && cache_.FindNextUrlCacheEntry(handle_, buffer_.get(), &size);
    }
  }

 private:
  bool allocate(std::uint32_t size) {
    buffer_ = allocateEntryBuffer(size);
    allocated_ = size;
    return buffer_ != nullptr;
  }

  platform::UrlCache& cache_;
  platform::CacheHandle handle_ = 0;
  EntryBuffer buffer_;
  std::uint32_t allocated_ = 0;
};

}  // namespace

void UrlCacheSource::list(CachePlan& plan, std::size_t self) {
  CacheWalk(cache_).readAll(plan.entries, self);
}

void UrlCacheSource::remove(const std::vector<const CacheEntry*>& entries, const CacheOptions&,
                            const Progress& progress, platform::ClearOutcome& outcome,
                            std::vector<bool>& gone) {
  const auto total = static_cast<std::int64_t>(entries.size());
  for (std::size_t k = 0; k < entries.size(); ++k) {
    if (progress) progress(static_cast<std::int64_t>(k) + 1, total);
    const CacheEntry& entry = *entries[k];
    if (cache_.DeleteUrlCacheEntry(entry.url)) {
      gone[k] = true;
      continue;
    }
    const std::uint32_t error = cache_.GetLastError();
    if (error == platform::ERROR_FILE_NOT_FOUND) continue;
    outcome.fail(entry.lineText(), error == platform::ERROR_SHARING_VIOLATION
                                       ? "its browser is running"
                                       : "it could not be removed");
  }
}

// The URL cache keeps its own files: none is left damaged beyond its listing.
platform::ClearOutcome UrlCacheSource::removeDamaged(const CacheOptions&) {
  return {};
}

platform::ClearOutcome UrlCacheSource::previewDamaged(const CacheOptions&) {
  return {};
}

}  // namespace core
