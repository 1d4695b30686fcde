#include "platform/linux/cache/linux_url_cache.h"

#include "browsers/cache/damaged_entries.h"
#include "browsers/cache/entry_removal.h"
#include "browsers/cache/overwrite_once.h"

namespace platform::linux_os {

LinuxUrlCache::LinuxUrlCache() : LinuxUrlCache(ProfileProvider(browsers::findBrowserProfiles)) {
  refused_ = [] { return browsers::searchBrowserProfiles().refused; };
}

LinuxUrlCache::LinuxUrlCache(std::vector<browsers::BrowserProfile> profiles, RunningCheck running)
    : LinuxUrlCache(ProfileProvider([p = std::move(profiles)] { return p; }), std::move(running)) {}

LinuxUrlCache::LinuxUrlCache(ProfileProvider profiles, RunningCheck running)
    : profiles_(std::move(profiles)), running_(std::move(running)) {}

LinuxUrlCache::~LinuxUrlCache() = default;

std::shared_ptr<browsers::CacheSnapshot> LinuxUrlCache::newSnapshot() const {
  auto snapshot = std::make_shared<browsers::CacheSnapshot>();
  snapshot->profiles = profiles_();
  snapshot->folders = browsers::cacheFoldersOf(snapshot->profiles);
  return snapshot;
}

bool LinuxUrlCache::fetch(browsers::CacheEnumeration& enumeration, void* buffer,
                          std::uint32_t* size) {
  const browsers::FoundEntry* entry = enumeration.peek();
  if (!entry) {
    lastError_ = ERROR_NO_MORE_ITEMS;
    return false;
  }
  const browsers::CacheSnapshot& snapshot = enumeration.snapshot();
  const browsers::CacheFolder& folder = snapshot.folders[entry->folder];
  const std::string localFile = folder.path + "/" + entry->name;
  const std::string browser = browsers::displayName(snapshot.profiles[folder.profile]);
  CacheEntryFields fields;
  fields.sourceUrlName = entry->info.url;
  fields.localFileName = localFile;
  fields.browser = browser;
  fields.type = NORMAL_CACHE_ENTRY;
  fields.useCount = entry->info.useCount;
  fields.size = entry->info.size;
  fields.lastModified = entry->info.lastModified;
  fields.expire = entry->info.expire;
  fields.lastAccess = entry->info.lastAccess;
  if (!fillCacheEntryBuffer(fields, buffer, size, lastError_)) return false;
  enumeration.pop();
  return true;
}

CacheHandle LinuxUrlCache::FindFirstUrlCacheEntry(void* buffer, std::uint32_t* size) {
  ++calls_;
  std::unique_ptr<browsers::CacheEnumeration> enumeration;
  if (probed_ && probedAt_ + 1 == calls_) {
    enumeration = std::move(probed_);
  } else {
    latest_ = newSnapshot();
    enumeration = std::make_unique<browsers::CacheEnumeration>(latest_);
  }
  probed_.reset();
  if (!fetch(*enumeration, buffer, size)) {
    if (lastError_ == ERROR_INSUFFICIENT_BUFFER) {
      probed_ = std::move(enumeration);
      probedAt_ = calls_;
    }
    return 0;
  }
  const CacheHandle handle = nextHandle_++;
  open_[handle] = std::move(enumeration);
  return handle;
}

bool LinuxUrlCache::FindNextUrlCacheEntry(CacheHandle handle, void* buffer, std::uint32_t* size) {
  ++calls_;
  auto it = open_.find(handle);
  if (it == open_.end()) {
    lastError_ = ERROR_INVALID_HANDLE;
    return false;
  }
  return fetch(*it->second, buffer, size);
}

void LinuxUrlCache::FindCloseUrlCache(CacheHandle handle) {
  ++calls_;
  open_.erase(handle);
}

std::vector<browsers::EntryRef>* LinuxUrlCache::lookUp(const std::string& url) {
  auto find = [&]() -> std::vector<browsers::EntryRef>* {
    if (!latest_) return nullptr;
    auto it = latest_->byUrl.find(url);
    return it == latest_->byUrl.end() ? nullptr : &it->second;
  };
  if (auto* refs = find()) return refs;
  // A URL the last full listing did not hold is not in the cache; otherwise
  // walk the whole cache once to learn where it is.
  if (latest_ && (latest_->complete || latest_->rescanned)) return nullptr;
  latest_ = newSnapshot();
  latest_->rescanned = true;
  browsers::CacheEnumeration walk(latest_);
  while (walk.peek()) walk.pop();
  return find();
}

bool LinuxUrlCache::DeleteUrlCacheEntry(const std::string& sourceUrlName) {
  return deleteEntries(sourceUrlName, {});
}

bool LinuxUrlCache::DeleteUrlCacheEntryOf(const std::string& sourceUrlName,
                                          const std::string& browser) {
  return deleteEntries(sourceUrlName, browser);
}

ClearOutcome LinuxUrlCache::DeleteDamagedEntries(bool spareCookies) {
  ++calls_;
  const std::shared_ptr<browsers::CacheSnapshot> snapshot = newSnapshot();
  browsers::BeforeRemove destroy;
  if (overwrite_)
    destroy = [this](const std::string& path) { browsers::overwriteOnce(*overwrite_, path); };
  ClearOutcome outcome = browsers::removeDamagedEntries(*snapshot, running_, spareCookies, destroy);
  for (ClearFailure& refused : refused_()) outcome.failures.push_back(std::move(refused));
  return outcome;
}

ClearOutcome LinuxUrlCache::PreviewDamagedEntries(bool spareCookies) {
  ++calls_;
  ClearOutcome outcome = browsers::previewDamagedEntries(*newSnapshot(), running_, spareCookies);
  for (ClearFailure& refused : refused_()) outcome.failures.push_back(std::move(refused));
  return outcome;
}

bool LinuxUrlCache::deleteEntries(const std::string& sourceUrlName, const std::string& browser) {
  ++calls_;
  lastFailureReason_.clear();
  std::vector<browsers::EntryRef>* found = lookUp(sourceUrlName);
  if (!found || found->empty()) {
    lastError_ = ERROR_FILE_NOT_FOUND;
    return false;
  }
  std::vector<browsers::EntryRef>& refs = *found;
  std::vector<int> running(latest_->profiles.size(), -1);  // -1 not yet asked
  bool inUse = false, failed = false, removed = false, mine = false;
  std::vector<browsers::EntryRef> kept;
  for (browsers::EntryRef& ref : refs) {
    const std::size_t profile = latest_->folders[ref.folder].profile;
    const browsers::BrowserProfile& owner = latest_->profiles[profile];
    if (!browser.empty() && browsers::displayName(owner) != browser) {
      kept.push_back(std::move(ref));
      continue;
    }
    mine = true;
    if (running[profile] < 0) running[profile] = running_(owner) ? 1 : 0;
    if (running[profile] == 1) {
      if (!inUse) lastFailureReason_ = browsers::displayName(owner) + " is running";
      inUse = true;
      kept.push_back(std::move(ref));
      continue;
    }
    browsers::BeforeRemove destroy;
    if (overwrite_)
      destroy = [this](const std::string& path) { browsers::overwriteOnce(*overwrite_, path); };
    switch (removeCacheEntry(*latest_, ref, sourceUrlName, destroy)) {
      case browsers::RemoveResult::Removed:
        removed = true;
        break;
      case browsers::RemoveResult::Stale:
        break;
      case browsers::RemoveResult::Failed:
        failed = true;
        kept.push_back(std::move(ref));
        break;
    }
  }
  refs = std::move(kept);  // an emptied URL stays known, so it is never looked for again
  if (!mine) {
    lastError_ = ERROR_FILE_NOT_FOUND;
    return false;
  }
  if (inUse) {
    lastError_ = ERROR_SHARING_VIOLATION;
    return false;
  }
  if (failed || !removed) {
    lastError_ = failed ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND;
    return false;
  }
  return true;
}

}  // namespace platform::linux_os
