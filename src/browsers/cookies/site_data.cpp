#include "browsers/cookies/site_data.h"

#include <algorithm>
#include <cctype>

#include "browsers/cookies/chromium_site_data.h"
#include "browsers/cookies/cookie_site.h"
#include "browsers/cookies/firefox_site_data.h"
#include "browsers/formats/sqlite_copy.h"
#include "platform/file_access.h"

namespace browsers {

std::set<std::string> listSiteDataSites(const BrowserProfile& profile,
                                        std::vector<std::string>& problems) {
  return profile.family == BrowserFamily::Firefox ? listFirefoxSiteData(profile, problems)
                                                  : listChromiumSiteData(profile, problems);
}

SiteDataRemoval removeSiteData(const BrowserProfile& profile, const std::set<std::string>& sites) {
  if (sites.empty()) return {};
  // A running browser holds its stores open and writes them back: nothing of
  // them changes, and every site that has data there is told.
  if (browserRunning(profile)) {
    std::vector<std::string> problems;
    std::set<std::string> present = listSiteDataSites(profile, problems);
    SiteDataLeft left;
    for (const std::string& site : sites)
      if (present.contains(site)) left.sites.insert(site);
    SiteDataRemoval removal;
    if (!left.sites.empty()) {
      left.failure = {profile.profileDir, displayName(profile) + " is running"};
      removal.left.push_back(std::move(left));
    }
    return removal;
  }
  return profile.family == BrowserFamily::Firefox ? removeFirefoxSiteData(profile, sites)
                                                  : removeChromiumSiteData(profile, sites);
}

std::string hostOfOrigin(std::string_view origin) {
  std::size_t start = 0;
  if (origin.starts_with("http://"))
    start = 7;
  else if (origin.starts_with("https://"))
    start = 8;
  else
    return {};
  std::string_view rest = origin.substr(start);
  if (rest.starts_with('[')) {
    const std::size_t close = rest.find(']');
    return close == std::string_view::npos ? std::string() : std::string(rest.substr(0, close + 1));
  }
  // The host ends where a name cannot go on: a port, a path, a separator of
  // the store's own ("\0", "^").
  const auto end = std::find_if(rest.begin(), rest.end(), [](char c) {
    return !(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_' ||
             c == '%');
  });
  std::string host(rest.begin(), end);
  std::transform(host.begin(), host.end(), host.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return host;
}

std::string siteOfDataHost(std::string_view host) {
  return host.empty() ? std::string() : siteOfHost(std::string(host));
}

namespace {

using SiteOfKey = std::function<std::string(std::string_view)>;

struct DoomedKeys {
  const SiteOfKey* siteOf;
  const std::set<std::string>* sites;
};

// tracesweep_doomed_key(key): 1 for a key of one of the sites.
void doomedKeyFunction(sqlite3_context* context, int, sqlite3_value** argv) {
  const auto* doomed = static_cast<const DoomedKeys*>(sqlite3_user_data(context));
  const unsigned char* text = sqlite3_value_text(argv[0]);
  const bool found = text && doomed->sites->contains((*doomed->siteOf)(std::string_view(
                                 reinterpret_cast<const char*>(text),
                                 static_cast<std::size_t>(sqlite3_value_bytes(argv[0])))));
  sqlite3_result_int(context, found ? 1 : 0);
}

bool busyCode(int rc) {
  const int primary = rc & 0xff;
  return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

// The distinct keys of the table, each once.
std::vector<std::string> distinctKeys(sqlite3* db, const std::string& table,
                                      const std::string& keyColumn) {
  std::vector<std::string> keys;
  sqlite3_stmt* stmt = nullptr;
  const std::string sql = "SELECT DISTINCT " + keyColumn + " FROM " + table;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) return keys;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    const unsigned char* text = sqlite3_column_text(stmt, 0);
    if (text)
      keys.emplace_back(reinterpret_cast<const char*>(text),
                        static_cast<std::size_t>(sqlite3_column_bytes(stmt, 0)));
  }
  sqlite3_finalize(stmt);
  return keys;
}

}  // namespace

bool readSitesOfRows(const std::string& database, const std::string& table,
                     const std::string& keyColumn, const SiteOfKey& siteOfKey,
                     std::set<std::string>& sites) {
  if (!platform::files::isRegularFile(database)) return true;
  std::unique_ptr<SqliteCopy> copy = SqliteCopy::open(database);
  if (!copy) return false;
  if (!hasTable(copy->db(), table)) return true;
  for (const std::string& key : distinctKeys(copy->db(), table, keyColumn))
    if (std::string site = siteOfKey(key); !site.empty()) sites.insert(std::move(site));
  return true;
}

RowRemoval removeRowsOfSites(const std::string& database, const std::string& table,
                             const std::string& keyColumn, const SiteOfKey& siteOfKey,
                             const std::set<std::string>& sites) {
  RowRemoval out;
  if (!platform::files::isRegularFile(database)) return out;
  SqliteConnection db = openLiveDatabase(database);
  if (!db) {
    out.problem = "it could not be opened";
    return out;
  }
  auto fail = [&](int rc) {
    if (!sqlite3_get_autocommit(db.get())) execSql(db.get(), "ROLLBACK");
    out.removed.clear();
    out.problem = busyCode(rc) ? "it is locked by another program" : sqlite3_errstr(rc);
    return out;
  };
  if (int rc = execSql(db.get(), "PRAGMA secure_delete = ON"); rc != SQLITE_OK) return fail(rc);
  if (int rc = execSql(db.get(), "BEGIN IMMEDIATE"); rc != SQLITE_OK) return fail(rc);
  if (!hasTable(db.get(), table)) {
    execSql(db.get(), "ROLLBACK");
    return out;
  }
  for (const std::string& key : distinctKeys(db.get(), table, keyColumn))
    if (std::string site = siteOfKey(key); sites.contains(site)) ++out.removed[site];
  if (out.removed.empty()) {
    execSql(db.get(), "ROLLBACK");
    return out;
  }
  DoomedKeys doomed{&siteOfKey, &sites};
  int rc = sqlite3_create_function(db.get(), "tracesweep_doomed_key", 1,
                                   SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_DIRECTONLY, &doomed,
                                   doomedKeyFunction, nullptr, nullptr);
  if (rc != SQLITE_OK) return fail(rc);
  const std::string sql =
      "DELETE FROM " + table + " WHERE tracesweep_doomed_key(" + keyColumn + ")";
  if (rc = execSql(db.get(), sql.c_str()); rc != SQLITE_OK) return fail(rc);
  if (rc = execSql(db.get(), "COMMIT"); rc != SQLITE_OK) return fail(rc);
  execSql(db.get(), "PRAGMA wal_checkpoint(TRUNCATE)");
  return out;
}

}  // namespace browsers
