#include "browsers/cookies/chromium_site_data.h"

#include <algorithm>
#include <map>
#include <memory>

#include "browsers/cookies/leveldb_store.h"
#include "browsers/formats/chromium_entry.h"
#include "browsers/formats/entry_file.h"
#include "browsers/formats/sqlite_copy.h"
#include "platform/file_access.h"
#include "platform/paths.h"

namespace browsers {

namespace {

namespace files = platform::files;

constexpr std::size_t kMaxIndexFile = 1024 * 1024;

// The LevelDB stores that every origin shares, below the profile.
constexpr const char* kSharedStores[] = {"Local Storage/leveldb", "Session Storage",
                                         "Service Worker/Database"};

std::string below(const BrowserProfile& profile, const std::string& path) {
  return platform::pathBelow(profile.profileDir, path);
}

// The origin a Cache Storage folder belongs to, from its index (a protocol
// buffer whose only URL is the origin's).
std::string siteOfCacheStorage(const files::OpenFolder& caches, const std::string& name) {
  std::string index;
  if (files::readWholeFile(platform::joinPath(platform::joinPath(caches.path(), name), "index.txt"),
                           kMaxIndexFile, index) != files::ReadStatus::Ok)
    return {};
  return siteOfStorageKey(index);
}

// For every record of a shared store, the site it belongs to ("" for the
// store's own records). Session Storage keeps an origin's values under a map
// number that its "namespace-<id>-<origin>" records name; the service-worker
// database keeps some records under a registration number or with the URL
// in the value only.
std::vector<std::string> sitesOfRecords(const std::string& store,
                                        const std::vector<LevelDbRecord>& records) {
  std::vector<std::string> sites(records.size());
  std::map<std::string, std::string> siteOfNumber;  // map or registration number -> site
  for (std::size_t i = 0; i < records.size(); ++i) {
    const auto& [key, value] = records[i];
    if (store == "Session Storage") {
      if (key.starts_with("namespace-")) {
        sites[i] = siteOfStorageKey(key);
        if (!sites[i].empty()) siteOfNumber.emplace("map-" + value + "-", sites[i]);
      }
    } else if (store == "Service Worker/Database") {
      sites[i] = siteOfStorageKey(key);
      if (sites[i].empty() && !key.starts_with("INITDATA_")) sites[i] = siteOfStorageKey(value);
      if (key.starts_with("REGID_TO_ORIGIN:") && !sites[i].empty())
        siteOfNumber.emplace(key.substr(16), sites[i]);
    } else {
      sites[i] = siteOfStorageKey(key);
    }
  }
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (!sites[i].empty()) continue;
    const std::string& key = records[i].first;
    if (store == "Session Storage" && key.starts_with("map-")) {
      const std::size_t dash = key.find('-', 4);
      if (dash == std::string::npos) continue;
      auto it = siteOfNumber.find(key.substr(0, dash + 1));
      if (it != siteOfNumber.end()) sites[i] = it->second;
    } else if (store == "Service Worker/Database" && key.starts_with("REG_")) {
      // "REG_USER_DATA:<id>\0<name>", "REG_HAS_USER_DATA:<name>\0<id>".
      const std::size_t colon = key.find(':');
      const std::size_t nul = key.find('\0');
      if (colon == std::string::npos || nul == std::string::npos) continue;
      const std::string id = key.starts_with("REG_USER_DATA:")
                                 ? key.substr(colon + 1, nul - colon - 1)
                                 : key.substr(nul + 1);
      auto it = siteOfNumber.find(id);
      if (it != siteOfNumber.end()) sites[i] = it->second;
    }
  }
  return sites;
}

// The origins (not the records) of each site in a store: its items.
std::map<std::string, std::int64_t> originsPerSite(const std::vector<LevelDbRecord>& records,
                                                   const std::vector<std::string>& sites,
                                                   const std::set<std::string>& doomed) {
  std::set<std::pair<std::string, std::string>> origins;  // site, origin
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (!doomed.contains(sites[i])) continue;
    const std::string& key = records[i].first;
    const std::size_t at = std::min(key.find("http://"), key.find("https://"));
    if (at == std::string::npos) continue;
    origins.emplace(sites[i], hostOfOrigin(std::string_view(key).substr(at)));
  }
  std::map<std::string, std::int64_t> out;
  for (const auto& [site, origin] : origins) ++out[site];
  // A site whose records carry no origin in their keys still had one item.
  for (std::size_t i = 0; i < records.size(); ++i)
    if (doomed.contains(sites[i]) && !out.contains(sites[i])) out[sites[i]] = 1;
  return out;
}

// The quota manager's buckets: folder name (the row's number) -> site.
std::vector<std::pair<std::string, std::string>> bucketFolders(const std::string& quota) {
  std::vector<std::pair<std::string, std::string>> out;
  if (!files::isRegularFile(quota)) return out;
  const std::unique_ptr<SqliteCopy> copy = SqliteCopy::open(quota);
  if (!copy || !hasTable(copy->db(), "buckets")) return out;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(copy->db(), "SELECT id, storage_key FROM buckets", -1, &stmt, nullptr) !=
      SQLITE_OK)
    return out;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    const unsigned char* key = sqlite3_column_text(stmt, 1);
    if (!key) continue;
    out.emplace_back(std::to_string(sqlite3_column_int64(stmt, 0)),
                     siteOfStorageKey(reinterpret_cast<const char*>(key)));
  }
  sqlite3_finalize(stmt);
  return out;
}

}  // namespace

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

std::set<std::string> listChromiumSiteData(const BrowserProfile& profile,
                                           std::vector<std::string>& problems) {
  std::set<std::string> sites;
  for (const std::string& name : files::OpenFolder::open(below(profile, "IndexedDB")).names())
    if (std::string site = siteOfIndexedDbFolder(name); !site.empty()) sites.insert(site);
  const files::OpenFolder caches =
      files::OpenFolder::open(below(profile, "Service Worker/CacheStorage"));
  for (const std::string& name : caches.names())
    if (std::string site = siteOfCacheStorage(caches, name); !site.empty()) sites.insert(site);
  // The quota manager has a row for every origin that stored anything
  // (Local Storage, Session Storage, service workers included); the shared
  // stores themselves are not opened for a listing.
  const std::string quota = below(profile, "WebStorage/QuotaManager");
  if (!readSitesOfRows(quota, "buckets", "storage_key", siteOfStorageKey, sites))
    problems.push_back(quota);
  return sites;
}

SiteDataRemoval removeChromiumSiteData(const BrowserProfile& profile,
                                       const std::set<std::string>& sites) {
  SiteDataRemoval out;
  auto leave = [&](std::vector<SiteDataLeft>& into, const std::string& item, const std::string& why,
                   std::set<std::string> which) {
    into.push_back({std::move(which), {item, why}});
  };
  // One folder per origin: removed whole.
  auto removeFolders = [&](const std::string& path, auto siteOf) {
    const files::OpenFolder folder = files::OpenFolder::open(path);
    for (const std::string& name : folder.names()) {
      const std::string site = siteOf(folder, name);
      if (site.empty() || !sites.contains(site)) continue;
      const files::TreeRemoval removal = folder.removeTree(name);
      if (!removal.gone())
        leave(out.left, removal.failedPath, files::errorWords(removal.error), {site});
      // The ".blob" folder beside an origin's database is part of its item.
      else if (!name.ends_with(".indexeddb.blob"))
        ++out.removed[site];
    }
  };
  removeFolders(below(profile, "IndexedDB"), [](const files::OpenFolder&, const std::string& name) {
    return siteOfIndexedDbFolder(name);
  });
  removeFolders(below(profile, "Service Worker/CacheStorage"), siteOfCacheStorage);

  // The worker scripts: each entry's files ("<hash>_0", "<hash>_1", "<hash>_s").
  {
    const files::OpenFolder scripts =
        files::OpenFolder::open(below(profile, "Service Worker/ScriptCache"));
    std::map<std::string, std::string> doomedHashes;  // hash -> site
    for (const std::string& name : scripts.names()) {
      if (!name.ends_with("_0")) continue;
      const std::optional<EntryFileInfo> entry =
          readEntryFile(scripts, name, EntryFormat::Chromium);
      if (!entry) continue;
      const std::string site = siteOfStorageKey(entry->url);
      if (sites.contains(site)) doomedHashes.emplace(name.substr(0, name.size() - 2), site);
    }
    for (const std::string& name : scripts.names()) {
      const std::optional<std::string_view> hash = simpleCacheHash(name);
      if (!hash) continue;
      auto it = doomedHashes.find(std::string(*hash));
      if (it == doomedHashes.end()) continue;
      if (const files::FileError error = scripts.remove(name); error != 0)
        leave(out.left, platform::joinPath(scripts.path(), name), files::errorWords(error),
              {it->second});
    }
  }

  // The shared stores: whole when every site in them goes, else per origin.
  std::vector<std::string> problems;
  const std::set<std::string> listed = listChromiumSiteData(profile, problems);
  const bool everyListedSiteGoes =
      problems.empty() && std::all_of(listed.begin(), listed.end(),
                                      [&](const std::string& s) { return sites.contains(s); });
  for (const char* store : kSharedStores) {
    const std::string path = below(profile, store);
    const std::optional<files::EntryInfo> info = files::infoOf(path);
    if (!info || info->kind != files::EntryKind::Folder) continue;
    const std::string parentPath = platform::folderOf(path);
    const std::string name = path.substr(parentPath.size() + 1);
    auto removeWhole = [&](const std::set<std::string>& of) {
      const files::TreeRemoval removal = files::OpenFolder::open(parentPath).removeTree(name);
      if (!removal.gone()) {
        leave(out.left, removal.failedPath, files::errorWords(removal.error), of);
        return false;
      }
      return true;
    };
    if (!levelDbEditable()) {
      // Without the library the store cannot be edited: it goes whole only
      // when every site the profile lists goes, else it stays whole.
      std::set<std::string> affected;
      for (const std::string& site : sites)
        if (listed.contains(site)) affected.insert(site);
      if (affected.empty()) continue;
      if (everyListedSiteGoes) {
        if (removeWhole(affected))
          for (const std::string& site : affected) ++out.removed[site];
      } else {
        leave(out.kept, path,
              "kept whole: other sites' data is in it too, and this version of Tracesweep "
              "cannot remove one site's part of it",
              affected);
      }
      continue;
    }
    const LevelDbRead read = readLevelDb(path);
    if (!read.problem.empty()) {
      leave(out.left, path, read.problem, sites);
      continue;
    }
    const std::vector<std::string> recordSites = sitesOfRecords(store, read.records);
    const std::map<std::string, std::int64_t> items =
        originsPerSite(read.records, recordSites, sites);
    if (items.empty()) {
      // Nothing of these sites is live here, but what the browser itself
      // deleted may still sit in its log: rewritten, it goes.
      const LevelDbEdit purge = rewriteLevelDb(path, read.records);
      if (!purge.problem.empty()) leave(out.left, path, purge.problem, sites);
      continue;
    }
    // Whole when it holds only what goes (its own bookkeeping aside).
    const bool onlyDoomed =
        std::all_of(recordSites.begin(), recordSites.end(),
                    [&](const std::string& s) { return s.empty() || sites.contains(s); });
    std::set<std::string> affected;
    for (const auto& [site, n] : items) affected.insert(site);
    if (onlyDoomed) {
      if (!removeWhole(affected)) continue;
    } else {
      std::vector<LevelDbRecord> keep;
      for (std::size_t i = 0; i < read.records.size(); ++i)
        if (!sites.contains(recordSites[i])) keep.push_back(read.records[i]);
      const LevelDbEdit edit = rewriteLevelDb(path, keep);
      if (!edit.problem.empty()) {
        leave(out.left, path, edit.problem, affected);
        continue;
      }
    }
    for (const auto& [site, n] : items) out.removed[site] += n;
  }

  // A bucket other than an origin's default one (a partitioned frame's, a
  // named bucket) keeps its data in a folder named by its row's number.
  const std::string quota = below(profile, "WebStorage/QuotaManager");
  const files::OpenFolder webStorage = files::OpenFolder::open(below(profile, "WebStorage"));
  for (const auto& [id, site] : bucketFolders(quota)) {
    if (!sites.contains(site) || !webStorage.info(id)) continue;
    const files::TreeRemoval removal = webStorage.removeTree(id);
    if (removal.gone())
      ++out.removed[site];
    else
      leave(out.left, removal.failedPath, files::errorWords(removal.error), {site});
  }
  const RowRemoval rows =
      removeRowsOfSites(quota, "buckets", "storage_key", siteOfStorageKey, sites);
  if (!rows.problem.empty()) leave(out.left, quota, rows.problem, sites);
  return out;
}

}  // namespace browsers
