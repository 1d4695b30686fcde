// The URL cache over the browsers' own disk caches: every Firefox-family
// profile's cache2 entries (doomed ones too) and every Chromium-family
// profile's Simple Cache. An entry's source name is its http(s) URL and
// every entry is a normal entry. A running browser's entries are listed but
// not deleted.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "browsers/cache/cache_enumeration.h"
#include "browsers/profiles/browser_profiles.h"
#include "platform/cache_wipe_options.h"
#include "platform/url_cache.h"

namespace platform::linux_os {

class LinuxUrlCache : public UrlCache, public CacheWipeOptions {
 public:
  using ProfileProvider = std::function<std::vector<browsers::BrowserProfile>()>;
  using RunningCheck = std::function<bool(const browsers::BrowserProfile&)>;

  // The user's profiles, found anew at every listing.
  LinuxUrlCache();
  explicit LinuxUrlCache(std::vector<browsers::BrowserProfile> profiles,
                         RunningCheck running = browsers::browserRunning);
  explicit LinuxUrlCache(ProfileProvider profiles, RunningCheck running = browsers::browserRunning);
  ~LinuxUrlCache() override;

  CacheHandle FindFirstUrlCacheEntry(void* buffer, std::uint32_t* size) override;
  bool FindNextUrlCacheEntry(CacheHandle handle, void* buffer, std::uint32_t* size) override;
  void FindCloseUrlCache(CacheHandle handle) override;
  bool DeleteUrlCacheEntry(const std::string& sourceUrlName) override;
  std::uint32_t GetLastError() const override { return lastError_; }
  bool DeleteUrlCacheEntryOf(const std::string& sourceUrlName, const std::string& browser) override;
  ClearOutcome DeleteDamagedEntries(bool spareCookies) override;
  ClearOutcome PreviewDamagedEntries(bool spareCookies) override;
  std::string LastFailureReason() const override { return lastFailureReason_; }
  void setOverwriteSession(OverwriteSession* session) override { overwrite_ = session; }

 private:
  std::shared_ptr<browsers::CacheSnapshot> newSnapshot() const;
  bool fetch(browsers::CacheEnumeration& enumeration, void* buffer, std::uint32_t* size);
  std::vector<browsers::EntryRef>* lookUp(const std::string& url);
  bool deleteEntries(const std::string& url, const std::string& browser);

  // The profile folders that were found but refused (a link of another user's,
  // a link into a system folder): a cache that exists and is not reached is
  // told with every clearing and preview, never left out in silence.
  std::function<std::vector<ClearFailure>()> refused_ = [] { return std::vector<ClearFailure>(); };

  ProfileProvider profiles_;
  RunningCheck running_;
  std::uint32_t lastError_ = 0;
  std::string lastFailureReason_;
  OverwriteSession* overwrite_ = nullptr;
  std::map<CacheHandle, std::unique_ptr<browsers::CacheEnumeration>> open_;
  CacheHandle nextHandle_ = 1;
  // A first-entry probe prepares the walk that the fetch right after it uses,
  // so that no entry file is read twice.
  std::unique_ptr<browsers::CacheEnumeration> probed_;
  std::uint64_t calls_ = 0;
  std::uint64_t probedAt_ = 0;
  // The latest listing, by which a URL is found when it is deleted.
  std::shared_ptr<browsers::CacheSnapshot> latest_;
};

}  // namespace platform::linux_os
