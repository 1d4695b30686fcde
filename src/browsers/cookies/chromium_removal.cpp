// Removing some sites' data from a Chromium profile (chromium_site_data.h):
// everything is read first, then each step removes and counts only what it
// removed, in an order that keeps a site findable until its last item goes.
#include <algorithm>
#include <map>
#include <set>

#include "browsers/cookies/chromium_places.h"
#include "browsers/cookies/chromium_site_data.h"
#include "browsers/cookies/cookie_store.h"
#include "browsers/cookies/leveldb_store.h"
#include "browsers/cookies/script_cache.h"
#include "browsers/cookies/site_folders.h"
#include "browsers/cookies/site_rows.h"
#include "platform/paths.h"

namespace browsers {

namespace {

using namespace chromium;
namespace files = platform::files;
using Sites = std::set<std::string>;

constexpr std::size_t kDigestLength = 32;

bool isDigestKey(const std::string& key) {
  return key.size() == kDigestLength && std::all_of(key.begin(), key.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
         });
}

Sites sitesOf(const std::map<std::string, std::int64_t>& items) {
  Sites out;
  for (const auto& [site, n] : items) out.insert(site);
  return out;
}

class ChromiumRemoval {
 public:
  ChromiumRemoval(const BrowserProfile& profile, const Sites& sites)
      : profile_(profile), doomed_(sites) {}

  SiteDataRemoval run() {
    std::vector<platform::ClearFailure> failed;
    std::vector<platform::ClearKept> kept;
    recoverStores(profile_, failed, kept);
    for (platform::ClearFailure& f : failed) out_.leave(f.item, f.reason, {});
    for (platform::ClearKept& k : kept) out_.kept.push_back({{}, std::move(k)});
    survey();
    siteCharacteristics();
    originFolders();
    if (levelDbEditable()) {
      workers();
      for (Store& store : stores_)
        if (store.kind != SharedStore::ServiceWorkers) sharedStore(store);
    } else {
      storesWithoutLibrary();
    }
    verify();
    quotaRows();
    return std::move(out_);
  }

 private:
  struct Store {
    std::string path;
    SharedStore kind = SharedStore::LocalStorage;
    bool present = false;
    LevelDbRead read;
    RecordOwners owners;
  };

  // The doomed sites whose data this run removes.
  bool going(const std::string& site) const {
    return doomed_.contains(site) && !held_.contains(site);
  }
  Sites active() const {
    Sites out;
    for (const std::string& site : doomed_)
      if (!held_.contains(site)) out.insert(site);
    return out;
  }
  // Whether every site of the profile goes (its data and its cookies).
  bool everyGoes() const {
    return complete_ && std::all_of(present_.begin(), present_.end(),
                                    [&](const std::string& s) { return doomed_.contains(s); });
  }
  void unread(const std::string& item, const std::string& why, const Sites& sites) {
    complete_ = false;
    out_.leave(item, why, sites);
  }

  void survey();
  void surveyStore(Store& store);
  std::map<std::string, std::string> candidateHosts(bool withHistory) const;
  void siteCharacteristics();
  void originFolders();
  void workers();
  void removeScripts(const Store& sw, Sites& failed, std::set<std::string>& spareKept);
  void sharedStore(Store& store);
  void storesWithoutLibrary();
  void quotaRows();
  void verify();

  const BrowserProfile& profile_;
  const Sites& doomed_;
  SiteDataRemoval out_;
  Sites held_;                   // sites whose data stays this run (siteCharacteristics)
  bool complete_ = true;         // every store of the profile was read
  Sites present_;                // the sites with data or cookies in the profile
  std::set<std::string> hosts_;  // the hosts the profile's stores name
  FolderScan indexedDb_;
  CacheStorageFolders caches_;
  std::vector<Bucket> buckets_;
  std::vector<Store> stores_;
  ScriptEntries scripts_;
};

void ChromiumRemoval::survey() {
  indexedDb_ = scanFolder(below(profile_, kIndexedDb));
  if (!indexedDb_.problem.empty()) unread(indexedDb_.folder.path(), indexedDb_.problem, doomed_);
  for (const std::string& name : indexedDb_.names) {
    std::string site = siteOfIndexedDbFolder(name);
    if (site.empty()) continue;
    present_.insert(std::move(site));
    // "<scheme>_<host>_<port>.indexeddb.<kind>"
    const std::size_t first = name.find('_');
    const std::size_t last = name.rfind('_', name.find(".indexeddb."));
    if (first < last) hosts_.insert(name.substr(first + 1, last - first - 1));
  }
  caches_ = scanCacheStorage(below(profile_, kCacheStorage));
  if (!caches_.scan.problem.empty())
    unread(below(profile_, kCacheStorage), caches_.scan.problem, doomed_);
  // An index that cannot be read may be any site's.
  for (const platform::ClearFailure& index : caches_.unreadable)
    unread(index.item, index.reason, doomed_);
  for (const auto& [name, site] : caches_.siteOf) present_.insert(site);
  if (std::string problem = readBuckets(profile_, buckets_); !problem.empty())
    unread(below(profile_, kQuota), problem, doomed_);
  for (const Bucket& bucket : buckets_) {
    if (!bucket.site.empty()) present_.insert(bucket.site);
    hosts_.insert(hostOfOrigin(bucket.storageKey));
  }
  for (const SharedStoreName& name : kSharedStores) {
    Store& store = stores_.emplace_back();
    store.path = below(profile_, name.relative);
    store.kind = name.kind;
    surveyStore(store);
  }
  scripts_ = readScriptEntries(platform::joinPath(below(profile_, kServiceWorker), kScriptCache));
  const CookieSites cookies = listCookieSites(profile_);
  if (!cookies.problem.empty()) complete_ = false;
  present_.insert(cookies.sites.begin(), cookies.sites.end());
}

void ChromiumRemoval::surveyStore(Store& store) {
  store.present = isFolder(store.path);
  if (!store.present || !levelDbEditable()) return;
  store.read = readLevelDb(store.path);
  if (!store.read.problem.empty()) {
    // Which sites it holds, from a copy where one can be read.
    const LevelDbRead copy = readLevelDbCopy(store.path);
    Sites affected;
    for (const std::string& site : ownersOfRecords(store.kind, copy.records).sites)
      if (doomed_.contains(site)) affected.insert(site);
    unread(store.path, store.read.problem, copy.problem.empty() ? affected : doomed_);
    return;
  }
  store.owners = ownersOfRecords(store.kind, store.read.records);
  for (const std::string& site : store.owners.sites)
    if (!site.empty()) present_.insert(site);
  hostsOfRecords(store.read.records, hosts_);
}

// Every host the profile names of a site that goes, with its site: what the
// stores name, the cookies' hosts, the sites themselves, and the history's.
std::map<std::string, std::string> ChromiumRemoval::candidateHosts(bool withHistory) const {
  std::set<std::string> hosts = hosts_;
  for (const std::string& site : doomed_) {
    hosts.insert(site);
    hosts.insert("www." + site);
  }
  auto addHost = [&](std::string_view text) {
    while (text.starts_with('.')) text.remove_prefix(1);
    hosts.emplace(text);
  };
  readColumnOfRows(cookieDatabasePath(profile_), "cookies", "host_key", addHost);
  if (withHistory)
    readColumnOfRows(below(profile_, kHistory), "urls", "url",
                     [&](std::string_view url) { hosts.insert(hostOfOrigin(url)); });
  std::map<std::string, std::string> out;
  for (const std::string& host : hosts)
    if (std::string site = siteOfDataHost(host); doomed_.contains(site)) out.emplace(host, site);
  return out;
}

void ChromiumRemoval::siteCharacteristics() {
  const std::string path = below(profile_, kSiteCharacteristics);
  if (!isFolder(path)) return;
  if (!levelDbEditable()) {
    if (!everyGoes()) {
      out_.kept.push_back({doomed_,
                           {path,
                            "kept whole: it holds other sites too, and this version of "
                            "Tracesweep cannot remove one site's part of it"}});
    } else if (const LevelDbEdit removal = removeLevelDb(path); !removal.problem.empty()) {
      out_.leave(path, removal.problem, doomed_);
    }
    return;
  }
  const LevelDbRead read = readLevelDb(path);
  if (!read.problem.empty()) return out_.leave(path, read.problem, doomed_);
  std::vector<std::string> owners = ownersOfDigestKeys(read.records, candidateHosts(false));
  bool unmatched = false;
  for (std::size_t i = 0; i < owners.size(); ++i)
    unmatched = unmatched || (owners[i].empty() && isDigestKey(read.records[i].first));
  if (unmatched) owners = ownersOfDigestKeys(read.records, candidateHosts(true));
  std::map<std::string, std::int64_t> items;  // a record per host
  for (const std::string& site : owners)
    if (!site.empty()) ++items[site];
  LevelDbEdit edit;
  if (everyGoes() && !read.records.empty()) {
    edit = removeLevelDb(path);
  } else if (!items.empty()) {
    std::vector<LevelDbRecord> keep;
    for (std::size_t i = 0; i < owners.size(); ++i)
      if (owners[i].empty()) keep.push_back(read.records[i]);
    edit = rewriteLevelDb(path, keep);
  }
  if (edit.problem.empty()) return out_.count(items);
  if (items.empty()) return out_.leave(path, edit.problem, doomed_);
  // Nothing else names these sites' records here: their other data stays
  // until these records go, so that a later run finds the sites again.
  held_ = sitesOf(items);
  out_.leave(path,
             edit.problem +
                 "; the rest of the site's data stays until this store can be "
                 "changed, so that the next run finds it again",
             held_);
}

void ChromiumRemoval::originFolders() {
  for (const std::string& name : indexedDb_.names) {
    const std::string site = siteOfIndexedDbFolder(name);
    if (!going(site)) continue;
    const FolderRemoval removal = removeFolderIn(indexedDb_.folder, name);
    if (!removal.gone)
      out_.leave(removal.failure.item, removal.failure.reason, {site});
    else if (!name.ends_with(".indexeddb.blob"))  // the blobs are part of the database's item
      ++out_.removed[site];
  }
  for (const auto& [name, site] : caches_.siteOf) {
    if (!going(site)) continue;
    const FolderRemoval removal = removeCacheStorageFolder(caches_.scan.folder, name);
    if (removal.gone)
      ++out_.removed[site];
    else
      out_.leave(removal.failure.item, removal.failure.reason, {site});
  }
  // What a removal cut short after the index left: an empty folder.
  for (const std::string& name : caches_.empty)
    if (const FolderRemoval removal = removeFolderIn(caches_.scan.folder, name); !removal.gone)
      out_.leave(removal.failure.item, removal.failure.reason, {});
  const FolderScan webStorage = scanFolder(below(profile_, kWebStorage));
  for (const Bucket& bucket : buckets_) {
    if (!going(bucket.site)) continue;
    if (!webStorage.problem.empty()) {
      out_.leave(webStorage.folder.path(), webStorage.problem, {bucket.site});
      continue;
    }
    if (!webStorage.folder.info(bucket.id)) continue;
    const FolderRemoval removal = removeFolderIn(webStorage.folder, bucket.id);
    if (removal.gone)
      ++out_.removed[bucket.site];
    else
      out_.leave(removal.failure.item, removal.failure.reason, {bucket.site});
  }
}

// The scripts of the sites that go, and those of no registration. failed
// receives the sites whose scripts stayed, spareKept the spare resources
// whose files stayed. The folder is read again afterwards: a script that a
// listing missed keeps its records, which alone find it by its number.
void ChromiumRemoval::removeScripts(const Store& sw, Sites& failed,
                                    std::set<std::string>& spareKept) {
  std::map<std::string, std::string> removed;  // resource id -> site, "" for a spare one
  for (std::size_t i = 0; i < sw.read.records.size(); ++i) {
    const std::string& id = sw.owners.resourceIds[i];
    const std::string& site = sw.owners.sites[i];
    if (id.empty()) continue;
    const bool spare = sw.owners.spare[i];
    if (!spare && !going(site)) continue;
    if (!scripts_.scan.problem.empty()) {
      if (spare)
        spareKept.insert(id);
      else
        failed.insert(site);
      continue;
    }
    const FolderRemoval removal = removeScriptEntry(scripts_, id);
    if (removal.gone) {
      removed.emplace(id, spare ? std::string() : site);
    } else if (spare) {
      spareKept.insert(id);
    } else {
      failed.insert(site);
      out_.leave(removal.failure.item, removal.failure.reason, {site});
    }
  }
  if (!scripts_.scan.problem.empty() && !failed.empty())
    out_.leave(scripts_.scan.folder.path(), scripts_.scan.problem, failed);
  if (removed.empty()) return;
  const ScriptEntries after = readScriptEntries(scripts_.scan.folder.path());
  for (const auto& [id, site] : removed) {
    if (after.scan.problem.empty() && !after.filesOf.contains(id)) continue;
    if (site.empty()) {
      spareKept.insert(id);
    } else if (failed.insert(site).second) {
      out_.leave(
          scripts_.scan.folder.path(),
          after.scan.problem.empty() ? "a script of the site is still there" : after.scan.problem,
          {site});
    }
  }
}

void ChromiumRemoval::workers() {
  Store& sw = stores_.back();
  if (!sw.present || !sw.read.problem.empty()) return;
  const std::vector<LevelDbRecord>& records = sw.read.records;
  const Sites sites = active();
  const std::map<std::string, std::int64_t> items = originsPerSite(records, sw.owners.sites, sites);
  const bool onlyThese = std::all_of(sw.owners.sites.begin(), sw.owners.sites.end(),
                                     [&](const std::string& s) { return s.empty() || going(s); });
  if (onlyThese && !items.empty()) {
    // Whole: the scripts first (they are all this database's, and a new
    // database would number its scripts anew over the old ones), then it.
    const files::OpenFolder serviceWorker =
        files::OpenFolder::open(below(profile_, kServiceWorker));
    if (FolderRemoval scripts = removeFolderIn(serviceWorker, kScriptCache); !scripts.gone)
      return out_.leave(scripts.failure.item, scripts.failure.reason, sitesOf(items));
    if (const LevelDbEdit removal = removeLevelDb(sw.path); !removal.problem.empty())
      return out_.leave(sw.path, removal.problem, sitesOf(items));
    return out_.count(items);
  }
  Sites failed;
  std::set<std::string> spareKept;
  removeScripts(sw, failed, spareKept);
  std::vector<LevelDbRecord> keep;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::string& site = sw.owners.sites[i];
    if (going(site) && !failed.contains(site)) continue;
    if (sw.owners.spare[i] && !spareKept.contains(sw.owners.resourceIds[i])) continue;
    keep.push_back(records[i]);
  }
  // Also with nothing of these sites live: what the browser itself deleted
  // may still sit in the store's log, and goes with a rewrite.
  Sites affected = sitesOf(items);
  for (const std::string& site : failed) affected.erase(site);
  if (const LevelDbEdit edit = rewriteLevelDb(sw.path, keep); !edit.problem.empty())
    return out_.leave(sw.path, edit.problem, items.empty() ? sites : affected);
  for (const auto& [site, n] : items)
    if (!failed.contains(site)) out_.removed[site] += n;
}

void ChromiumRemoval::sharedStore(Store& store) {
  if (!store.present || !store.read.problem.empty()) return;
  const Sites sites = active();
  const std::map<std::string, std::int64_t> items =
      originsPerSite(store.read.records, store.owners.sites, sites);
  // Whole when it holds only what goes (its own bookkeeping aside).
  const bool onlyThese = std::all_of(store.owners.sites.begin(), store.owners.sites.end(),
                                     [&](const std::string& s) { return s.empty() || going(s); });
  LevelDbEdit edit;
  if (onlyThese && !items.empty()) {
    edit = removeLevelDb(store.path);
  } else {
    // Also with nothing of these sites live: what the browser itself deleted
    // may still sit in the store's log, and goes with a rewrite.
    std::vector<LevelDbRecord> keep;
    for (std::size_t i = 0; i < store.read.records.size(); ++i)
      if (!going(store.owners.sites[i])) keep.push_back(store.read.records[i]);
    edit = rewriteLevelDb(store.path, keep);
  }
  if (!edit.problem.empty())
    return out_.leave(store.path, edit.problem, items.empty() ? sites : sitesOf(items));
  out_.count(items);
}

// Without the library nothing in a shared store can be read: it goes whole
// with the last site of the profile, else it stays whole and is told.
void ChromiumRemoval::storesWithoutLibrary() {
  Sites affected;
  for (const std::string& site : doomed_)
    if (present_.contains(site) && going(site)) affected.insert(site);
  if (affected.empty()) return;
  for (const Store& store : stores_) {
    if (!store.present) continue;
    if (!everyGoes()) {
      out_.kept.push_back({affected,
                           {store.path,
                            "kept whole: other sites' data is in it too, and this "
                            "version of Tracesweep cannot remove one site's part "
                            "of it"}});
      continue;
    }
    if (store.kind == SharedStore::ServiceWorkers) {
      const files::OpenFolder serviceWorker =
          files::OpenFolder::open(below(profile_, kServiceWorker));
      if (FolderRemoval scripts = removeFolderIn(serviceWorker, kScriptCache); !scripts.gone) {
        out_.leave(scripts.failure.item, scripts.failure.reason, affected);
        continue;
      }
    }
    if (const LevelDbEdit removal = removeLevelDb(store.path); !removal.problem.empty())
      out_.leave(store.path, removal.problem, affected);
    else
      for (const std::string& site : affected) ++out_.removed[site];
  }
}

// Last: the rows describe the data above, and find a site whose data stayed.
void ChromiumRemoval::quotaRows() {
  Sites gone;
  for (const Bucket& bucket : buckets_)
    if (going(bucket.site) && !out_.leftAny(bucket.site)) gone.insert(bucket.site);
  if (gone.empty()) return;
  const std::string quota = below(profile_, kQuota);
  const RowRemoval rows =
      removeRowsOfSites(quota, "buckets", "storage_key", siteOfStorageKey, gone);
  if (!rows.stayed.empty()) out_.leave(quota, rows.problem, rows.stayed);
}

// The folders are listed again, before the rows that find them go: one
// that a listing failed to show, or that came back, is told rather than
// counted as gone.
void ChromiumRemoval::verify() {
  auto stays = [&](const std::string& site) { return going(site) && !out_.leftAny(site); };
  const FolderScan indexedDb = scanFolder(below(profile_, kIndexedDb));
  for (const std::string& name : indexedDb.names)
    if (const std::string site = siteOfIndexedDbFolder(name); stays(site))
      out_.leave(platform::joinPath(indexedDb.folder.path(), name), "it is still there", {site});
  const CacheStorageFolders caches = scanCacheStorage(below(profile_, kCacheStorage));
  for (const auto& [name, site] : caches.siteOf)
    if (stays(site))
      out_.leave(platform::joinPath(caches.scan.folder.path(), name), "it is still there", {site});
  const std::string webStorage = below(profile_, kWebStorage);
  for (const Bucket& bucket : buckets_)
    if (stays(bucket.site) && platform::files::infoOf(platform::joinPath(webStorage, bucket.id)))
      out_.leave(platform::joinPath(webStorage, bucket.id), "it is still there", {bucket.site});
}

}  // namespace

SiteDataRemoval removeChromiumSiteData(const BrowserProfile& profile, const Sites& sites) {
  return ChromiumRemoval(profile, sites).run();
}

}  // namespace browsers
