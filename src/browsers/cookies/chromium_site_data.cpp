#include "browsers/cookies/chromium_site_data.h"

#include <algorithm>

#include "browsers/cookies/chromium_places.h"
#include "browsers/cookies/leveldb_store.h"
#include "browsers/cookies/site_folders.h"
#include "browsers/cookies/site_rows.h"
#include "platform/file_access.h"
#include "platform/paths.h"

namespace browsers {

namespace chromium {

std::string below(const BrowserProfile& profile, const std::string& relative) {
  return platform::pathBelow(profile.profileDir, relative);
}

bool isFolder(const std::string& path) {
  const auto info = platform::files::infoOf(path);
  return info && info->kind == platform::files::EntryKind::Folder;
}

void recoverStores(const BrowserProfile& profile, std::vector<platform::ClearFailure>& failed,
                   std::vector<platform::ClearKept>& kept) {
  std::vector<std::string> stores;
  for (const SharedStoreName& store : kSharedStores) stores.push_back(store.relative);
  stores.push_back(kSiteCharacteristics);
  for (const std::string& store : stores) {
    LevelDbRecovery recovery = recoverLevelDbStore(below(profile, store));
    failed.insert(failed.end(), recovery.failed.begin(), recovery.failed.end());
    kept.insert(kept.end(), recovery.kept.begin(), recovery.kept.end());
  }
}

std::string readBuckets(const BrowserProfile& profile, std::vector<Bucket>& buckets) {
  // One column for the one reader of columns: the number, a tab, the key.
  return readColumnOfRows(below(profile, kQuota), "buckets",
                          "CAST(id AS TEXT) || char(9) || storage_key", [&](std::string_view row) {
                            const std::size_t tab = row.find('\t');
                            if (tab == std::string_view::npos) return;
                            const std::string_view key = row.substr(tab + 1);
                            buckets.push_back({std::string(row.substr(0, tab)), std::string(key),
                                               siteOfStorageKey(key)});
                          });
}

}  // namespace chromium

using namespace chromium;

std::string siteOfStorageKey(std::string_view text) {
  const std::size_t at = std::min(text.find("http://"), text.find("https://"));
  if (at == std::string_view::npos) return {};
  text.remove_prefix(at);
  const std::size_t top = text.find("^0");
  if (top != std::string_view::npos) {
    const std::string topSite = siteOfDataHost(hostOfOrigin(text.substr(top + 2)));
    if (!topSite.empty()) return topSite;
  }
  return siteOfDataHost(hostOfOrigin(text));
}

std::string siteOfIndexedDbFolder(std::string_view name) {
  const std::size_t mark = name.find(".indexeddb.");
  if (mark == std::string_view::npos) return {};
  const std::string_view origin = name.substr(0, mark);
  const std::size_t first = origin.find('_');
  const std::size_t last = origin.rfind('_');
  if (first == std::string_view::npos || last <= first) return {};
  const std::string_view scheme = origin.substr(0, first);
  if (scheme != "http" && scheme != "https") return {};
  return siteOfDataHost(hostOfOrigin(std::string(scheme) + "://" +
                                     std::string(origin.substr(first + 1, last - first - 1))));
}

SiteDataListing listChromiumSiteData(const BrowserProfile& profile) {
  SiteDataListing out;
  recoverStores(profile, out.unreached, out.kept);
  auto unreached = [&](const std::string& item, const std::string& why) {
    out.unreached.push_back(
        {item, "the site data of " + displayName(profile) + " could not be read: " + why});
  };
  const FolderScan indexedDb = scanFolder(below(profile, kIndexedDb));
  if (!indexedDb.problem.empty()) unreached(indexedDb.folder.path(), indexedDb.problem);
  for (const std::string& name : indexedDb.names)
    if (std::string site = siteOfIndexedDbFolder(name); !site.empty()) out.sites.insert(site);
  const CacheStorageFolders caches = scanCacheStorage(below(profile, kCacheStorage));
  if (!caches.scan.problem.empty()) unreached(below(profile, kCacheStorage), caches.scan.problem);
  for (const platform::ClearFailure& index : caches.unreadable) unreached(index.item, index.reason);
  for (const auto& [name, site] : caches.siteOf) out.sites.insert(site);
  std::vector<Bucket> buckets;
  if (std::string problem = readBuckets(profile, buckets); !problem.empty())
    unreached(below(profile, kQuota), problem);
  for (const Bucket& bucket : buckets)
    if (!bucket.site.empty()) out.sites.insert(bucket.site);
  // The shared stores are read from private copies: a listing never opens a
  // store that the browser may hold, and never changes one.
  if (!levelDbEditable()) return out;
  for (const SharedStoreName& store : kSharedStores) {
    const std::string path = below(profile, store.relative);
    if (!isFolder(path)) continue;
    const LevelDbRead read = readLevelDbCopy(path);
    if (!read.problem.empty()) {
      unreached(path, read.problem);
      continue;
    }
    for (const std::string& site : ownersOfRecords(store.kind, read.records).sites)
      if (!site.empty()) out.sites.insert(site);
  }
  return out;
}

}  // namespace browsers
