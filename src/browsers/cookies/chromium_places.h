// Where a Chromium profile keeps its site data, below the profile folder,
// and the reads that both the listing and the removal make.
#pragma once

#include <string>
#include <vector>

#include "browsers/cookies/chromium_stores.h"
#include "browsers/profiles/browser_profiles.h"
#include "platform/clear_outcome.h"

namespace browsers::chromium {

inline constexpr const char* kIndexedDb = "IndexedDB";
inline constexpr const char* kCacheStorage = "Service Worker/CacheStorage";
inline constexpr const char* kServiceWorker = "Service Worker";
inline constexpr const char* kScriptCache = "ScriptCache";  // in kServiceWorker
inline constexpr const char* kWebStorage = "WebStorage";
inline constexpr const char* kQuota = "WebStorage/QuotaManager";
inline constexpr const char* kSiteCharacteristics = "Site Characteristics Database";
inline constexpr const char* kHistory = "History";

struct SharedStoreName {
  const char* relative;
  SharedStore kind;
};
inline constexpr SharedStoreName kSharedStores[] = {
    {"Local Storage/leveldb", SharedStore::LocalStorage},
    {"Session Storage", SharedStore::SessionStorage},
    {"Service Worker/Database", SharedStore::ServiceWorkers}};

std::string below(const BrowserProfile& profile, const std::string& relative);
bool isFolder(const std::string& path);

// Finishes or undoes what an earlier run's rewrite or removal of each
// LevelDB store left; what could not be put right, and what stays aside.
void recoverStores(const BrowserProfile& profile, std::vector<platform::ClearFailure>& failed,
                   std::vector<platform::ClearKept>& kept);

// The quota manager's buckets; a bucket other than an origin's default one
// keeps its data in a folder named by its row's number.
struct Bucket {
  std::string id;
  std::string storageKey;
  std::string site;
};
// "" or why the rows, which are there, could not be read.
std::string readBuckets(const BrowserProfile& profile, std::vector<Bucket>& buckets);

}  // namespace browsers::chromium
