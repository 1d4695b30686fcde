#include "browsers/cookies/firefox_site_data.h"

#include <algorithm>
#include <cctype>

#include "browsers/cookies/site_folders.h"
#include "browsers/cookies/site_rows.h"
#include "platform/file_access.h"
#include "platform/paths.h"

namespace browsers {

namespace {

namespace files = platform::files;

// The origin repositories that hold what sites stored; "permanent" holds the
// browser's own (chrome, extensions) and stays.
constexpr const char* kRepositories[] = {"default", "temporary"};
constexpr std::size_t kMaxServiceWorkerFile = 16 * 1024 * 1024;

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string percentDecoded(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
        hexValue(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2])));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

// The host of the top page that a suffix's partitionKey names,
// "^partitionKey=(https,top.test,8443)" (percent-encoded) -> "top.test".
std::string partitionHost(std::string_view suffix) {
  const std::size_t at = suffix.find("partitionKey=");
  if (at == std::string_view::npos) return {};
  std::string_view value = suffix.substr(at + 13);
  value = value.substr(0, value.find('&'));
  const std::string key = percentDecoded(value);
  const std::size_t comma = key.find(',');
  if (!key.starts_with('(') || comma == std::string::npos) return {};
  const std::size_t end = key.find_first_of(",)", comma + 1);
  return key.substr(comma + 1, end == std::string::npos ? end : end - comma - 1);
}

// The site of a host seen under origin attributes.
std::string siteUnder(std::string_view host, std::string_view suffix) {
  if (host.empty()) return {};
  const std::string top = partitionHost(suffix);
  return siteOfDataHost(top.empty() ? host : std::string_view(top));
}

// The site of "<origin>[^attributes]", e.g. "http://alpha.test^userContextId=2".
std::string siteOfOriginWithSuffix(std::string_view text) {
  const std::size_t caret = text.find('^');
  const std::string_view suffix =
      caret == std::string_view::npos ? std::string_view() : text.substr(caret);
  return siteUnder(hostOfOrigin(text.substr(0, caret)), suffix);
}

std::vector<std::string_view> lines(std::string_view text) {
  std::vector<std::string_view> out;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    out.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return out;
}

std::string storagePath(const BrowserProfile& profile, std::string_view below = {}) {
  return platform::pathBelow(
      profile.profileDir, below.empty() ? std::string("storage") : "storage/" + std::string(below));
}

// What the key expressions of the SQLite stores give: the origin with its
// attributes, or the attributes and the legacy origin key.
const std::string kQuotaKey = "origin || coalesce(suffix, '')";
const std::string kLegacyKey = "coalesce(originAttributes, '') || '|' || originKey";

std::vector<std::string> legacyStores(const BrowserProfile& profile) {
  return {platform::pathBelow(profile.profileDir, "webappsstore.sqlite"),
          storagePath(profile, "ls-archive.sqlite")};
}

}  // namespace

std::string siteOfFirefoxOriginFolder(std::string_view name) {
  const std::size_t caret = name.find('^');
  const std::string_view base = name.substr(0, caret);
  const std::string_view suffix =
      caret == std::string_view::npos ? std::string_view() : name.substr(caret);
  const std::size_t sep = base.find("+++");
  if (sep == std::string_view::npos) return {};
  const std::string_view scheme = base.substr(0, sep);
  if (scheme != "http" && scheme != "https") return {};
  std::string_view host = base.substr(sep + 3);
  // A port is the last "+digits"; ':' of an address became '+' too.
  if (!host.starts_with('[')) {
    const std::size_t plus = host.rfind('+');
    if (plus != std::string_view::npos && plus + 1 < host.size() &&
        std::all_of(host.begin() + static_cast<std::ptrdiff_t>(plus) + 1, host.end(),
                    [](char c) { return c >= '0' && c <= '9'; }))
      host = host.substr(0, plus);
  } else if (const std::size_t close = host.find(']'); close != std::string_view::npos) {
    host = host.substr(0, close + 1);
  }
  std::string lower(host);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return siteUnder(lower, suffix);
}

std::string siteOfFirefoxOriginKey(std::string_view key) {
  const std::size_t bar = key.rfind('|');
  const std::string_view suffix = bar == std::string_view::npos ? "" : key.substr(0, bar);
  const std::string_view originKey = bar == std::string_view::npos ? key : key.substr(bar + 1);
  const std::size_t colon = originKey.find(':');
  if (colon == std::string_view::npos) return {};
  const std::string_view rest = originKey.substr(colon + 1);
  if (!rest.starts_with("http:") && !rest.starts_with("https:")) return {};
  std::string host(originKey.substr(0, colon));
  std::reverse(host.begin(), host.end());
  if (host.starts_with('.')) host.erase(0, 1);
  return siteUnder(host, suffix);
}

std::optional<std::string> withoutServiceWorkersOf(std::string_view text,
                                                   const std::set<std::string>& sites,
                                                   std::map<std::string, std::int64_t>& removed) {
  const std::vector<std::string_view> all = lines(text);
  if (all.empty() || all.front().empty()) return std::nullopt;
  std::string out(all.front());
  out += '\n';
  std::vector<std::string_view> record;
  for (std::size_t i = 1; i < all.size(); ++i) {
    if (all[i].empty() && i + 1 == all.size()) break;  // the text's last newline
    record.push_back(all[i]);
    if (all[i] != "#") continue;
    if (record.size() < 3) return std::nullopt;
    const std::string site = siteUnder(hostOfOrigin(record[1]), record[0]);
    if (!site.empty() && sites.contains(site)) {
      ++removed[site];
    } else {
      for (std::string_view line : record) (out += line) += '\n';
    }
    record.clear();
  }
  if (!record.empty()) return std::nullopt;  // a record cut short
  return out;
}

SiteDataListing listFirefoxSiteData(const BrowserProfile& profile) {
  SiteDataListing out;
  auto unreached = [&](const std::string& item, const std::string& why) {
    out.unreached.push_back(
        {item, "the site data of " + displayName(profile) + " could not be read: " + why});
  };
  for (const char* repository : kRepositories) {
    const FolderScan scan = scanFolder(storagePath(profile, repository));
    if (!scan.problem.empty()) unreached(scan.folder.path(), scan.problem);
    for (const std::string& name : scan.names)
      if (std::string site = siteOfFirefoxOriginFolder(name); !site.empty())
        out.sites.insert(std::move(site));
  }
  const std::string quota = platform::pathBelow(profile.profileDir, "storage.sqlite");
  if (std::string problem =
          readSitesOfRows(quota, "origin", kQuotaKey, siteOfOriginWithSuffix, out.sites);
      !problem.empty())
    unreached(quota, problem);
  for (const std::string& store : legacyStores(profile))
    if (std::string problem =
            readSitesOfRows(store, "webappsstore2", kLegacyKey, siteOfFirefoxOriginKey, out.sites);
        !problem.empty())
      unreached(store, problem);
  const std::string registrar = platform::pathBelow(profile.profileDir, "serviceworker.txt");
  std::string text;
  const files::ReadStatus read = files::readWholeFile(registrar, kMaxServiceWorkerFile, text);
  if (read == files::ReadStatus::Ok) {
    // Every record's site, by asking which would go if all did.
    std::set<std::string> any;
    for (std::string_view line : lines(text))
      if (std::string site = siteOfDataHost(hostOfOrigin(line)); !site.empty()) any.insert(site);
    std::map<std::string, std::int64_t> registrations;
    if (withoutServiceWorkersOf(text, any, registrations))
      for (const auto& [site, n] : registrations) out.sites.insert(site);
    else
      unreached(registrar, "it is not in a form Tracesweep knows");
  } else if (read != files::ReadStatus::Missing) {
    unreached(registrar, "it could not be read");
  }
  return out;
}

namespace {

// The origin folders of the sites, each whole: its localStorage, IndexedDB,
// caches and worker scripts.
void removeOriginFolders(const BrowserProfile& profile, const std::set<std::string>& sites,
                         SiteDataRemoval& out) {
  for (const char* repository : kRepositories) {
    const FolderScan scan = scanFolder(storagePath(profile, repository));
    if (!scan.problem.empty()) out.leave(scan.folder.path(), scan.problem, sites);
    for (const std::string& name : scan.names) {
      const std::string site = siteOfFirefoxOriginFolder(name);
      if (site.empty() || !sites.contains(site)) continue;
      const FolderRemoval removal = removeFolderIn(scan.folder, name);
      if (removal.gone)
        ++out.removed[site];
      else
        out.leave(removal.failure.item, removal.failure.reason, {site});
    }
  }
}

void removeRegistrations(const BrowserProfile& profile, const std::set<std::string>& sites,
                         SiteDataRemoval& out) {
  const std::string registrar = platform::pathBelow(profile.profileDir, "serviceworker.txt");
  std::string text;
  const files::ReadStatus read = files::readWholeFile(registrar, kMaxServiceWorkerFile, text);
  if (read == files::ReadStatus::Missing) return;
  if (read != files::ReadStatus::Ok) return out.leave(registrar, "it could not be read", sites);
  std::map<std::string, std::int64_t> registrations;
  const std::optional<std::string> rewritten = withoutServiceWorkersOf(text, sites, registrations);
  if (!rewritten) return out.leave(registrar, "it is not in a form Tracesweep knows", sites);
  if (registrations.empty()) return;
  std::set<std::string> affected;
  for (const auto& [site, n] : registrations) affected.insert(site);
  const files::Replacement replaced = files::replaceFile(registrar, *rewritten);
  if (!replaced.replaced) return out.leave(registrar, files::errorWords(replaced.error), affected);
  out.count(registrations);
}

}  // namespace

SiteDataRemoval removeFirefoxSiteData(const BrowserProfile& profile,
                                      const std::set<std::string>& sites) {
  SiteDataRemoval out;
  removeOriginFolders(profile, sites, out);
  for (const std::string& store : legacyStores(profile)) {
    const RowRemoval rows =
        removeRowsOfSites(store, "webappsstore2", kLegacyKey, siteOfFirefoxOriginKey, sites);
    if (!rows.stayed.empty()) out.leave(store, rows.problem, rows.stayed);
    out.count(rows.removed);
  }
  removeRegistrations(profile, sites, out);

  // The origin folders are listed again: one that a listing failed to show,
  // or that came back, is told rather than counted as gone.
  for (const char* repository : kRepositories) {
    const FolderScan scan = scanFolder(storagePath(profile, repository));
    for (const std::string& name : scan.names)
      if (const std::string site = siteOfFirefoxOriginFolder(name);
          sites.contains(site) && !out.leftAny(site))
        out.leave(platform::joinPath(scan.folder.path(), name), "it is still there", {site});
  }

  // Last, the quota manager's record of the folders that went: a site whose
  // folder stayed keeps its rows. What the manager caches is recounted from
  // the folders at the next start.
  std::set<std::string> gone;
  for (const std::string& site : sites)
    if (!out.leftAny(site)) gone.insert(site);
  const std::string quota = platform::pathBelow(profile.profileDir, "storage.sqlite");
  const RowRemoval quotaRows = removeRowsOfSites(quota, "origin", kQuotaKey, siteOfOriginWithSuffix,
                                                 gone, "cache", "UPDATE cache SET valid = 0");
  if (!quotaRows.stayed.empty()) out.leave(quota, quotaRows.problem, quotaRows.stayed);
  return out;
}

}  // namespace browsers
