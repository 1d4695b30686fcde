#include "platform/linux/browsers/cookie_store.h"

#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <set>

#include "platform/linux/common/sqlite_copy.h"

namespace platform::linux_os {

namespace {

struct CookieSchema {
  const char* table;
  const char* host;
  bool topFrameSite = false;  // Chromium: partitioned cookies name their top-level site
};

bool isRegularFile(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<CookieSchema> detectSchema(sqlite3* db, BrowserFamily family) {
  if (family == BrowserFamily::Firefox) {
    if (hasTable(db, "moz_cookies") && hasColumn(db, "moz_cookies", "host"))
      return CookieSchema{"moz_cookies", "host"};
    return std::nullopt;
  }
  if (!hasTable(db, "cookies") || !hasColumn(db, "cookies", "host_key")) return std::nullopt;
  return CookieSchema{"cookies", "host_key", hasColumn(db, "cookies", "top_frame_site_key")};
}

// A site is listed only when it can stand as the last part of a file name.
bool plausibleSite(const std::string& site) {
  if (site.empty() || site.size() > 255) return false;
  return std::none_of(site.begin(), site.end(), [](char c) {
    auto u = static_cast<unsigned char>(c);
    return c == '/' || u < 0x20 || u == 0x7f;
  });
}

// "https://example.com" -> "example.com"; "" for anything else.
std::string siteOfTopFrameKey(const std::string& key) {
  for (const char* scheme : {"https://", "http://"}) {
    const std::string prefix = scheme;
    if (key.rfind(prefix, 0) != 0) continue;
    std::string site = key.substr(prefix.size());
    return site.find_first_of(":/") == std::string::npos ? site : std::string();
  }
  return {};
}

void collectColumn(sqlite3* db, const std::string& sql, bool topFrame, std::set<std::string>& out) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) return;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    const unsigned char* text = sqlite3_column_text(stmt, 0);
    if (!text) continue;
    std::string value(reinterpret_cast<const char*>(text),
                      static_cast<std::size_t>(sqlite3_column_bytes(stmt, 0)));
    if (topFrame) value = siteOfTopFrameKey(value);
    if (plausibleSite(value)) out.insert(value);
  }
  sqlite3_finalize(stmt);
}

std::set<std::string> readSites(sqlite3* db, const CookieSchema& schema) {
  std::set<std::string> sites;
  collectColumn(db,
                std::string("SELECT DISTINCT ltrim(") + schema.host + ", '.') FROM " + schema.table,
                false, sites);
  if (schema.topFrameSite)
    collectColumn(db,
                  "SELECT DISTINCT top_frame_site_key FROM cookies WHERE top_frame_site_key <> ''",
                  true, sites);
  return sites;
}

// "www.example.com" -> "com\1example\1www": a parent sorts before its
// sub-domains, so a deletion loop that runs from the last entry to the first
// meets the sub-domains before the parent that would take them along.
std::string domainOrderKey(const std::string& site) {
  std::vector<std::string> labels;
  for (std::size_t start = 0;;) {
    std::size_t dot = site.find('.', start);
    labels.push_back(site.substr(start, dot == std::string::npos ? dot : dot - start));
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  std::string key;
  for (auto label = labels.rbegin(); label != labels.rend(); ++label) {
    if (label != labels.rbegin()) key += '\1';
    key += *label;
  }
  return key;
}

std::string deleteStatement(const CookieSchema& schema) {
  const std::string host = schema.host;
  // No LIKE: "_" and "%" in a site name are ordinary characters.
  std::string sql = "DELETE FROM " + std::string(schema.table) + " WHERE " + host + " = ?1 OR " +
                    host + " = '.' || ?1 OR substr(" + host + ", -length(?1) - 1) = '.' || ?1";
  if (schema.topFrameSite)
    sql +=
        " OR top_frame_site_key = 'https://' || ?1 OR top_frame_site_key = 'http://' || ?1"
        " OR substr(top_frame_site_key, -length(?1) - 1) = '.' || ?1";
  return sql;
}

bool busy(int rc) {
  int primary = rc & 0xff;
  return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

CookieDeleteResult failure(sqlite3* db, int rc) {
  if (!sqlite3_get_autocommit(db)) execSql(db, "ROLLBACK");
  return busy(rc) ? CookieDeleteResult::InUse : CookieDeleteResult::Failed;
}

int runDelete(sqlite3* db, const CookieSchema& schema, const std::string& site) {
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v2(db, deleteStatement(schema).c_str(), -1, &stmt, nullptr);
  if (rc != SQLITE_OK) return rc;
  sqlite3_bind_text(stmt, 1, site.c_str(), static_cast<int>(site.size()), SQLITE_TRANSIENT);
  rc = sqlite3_step(stmt);
  sqlite3_finalize(stmt);
  return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

}  // namespace

std::string cookieDatabasePath(const BrowserProfile& profile) {
  if (profile.family == BrowserFamily::Firefox) return profile.profileDir + "/cookies.sqlite";
  if (isRegularFile(profile.profileDir + "/Network/NetworkDataMigrated"))
    return profile.profileDir + "/Network/Cookies";
  return profile.profileDir + "/Cookies";
}

std::vector<std::string> listCookieSites(const BrowserProfile& profile) {
  const std::string path = cookieDatabasePath(profile);
  if (!isRegularFile(path)) return {};
  std::unique_ptr<SqliteCopy> copy = SqliteCopy::open(path);
  if (!copy) return {};
  std::optional<CookieSchema> schema = detectSchema(copy->db(), profile.family);
  if (!schema) return {};
  std::set<std::string> found = readSites(copy->db(), *schema);
  std::vector<std::pair<std::string, std::string>> ordered;
  for (const std::string& site : found) ordered.emplace_back(domainOrderKey(site), site);
  std::sort(ordered.begin(), ordered.end());
  std::vector<std::string> sites;
  for (auto& [key, site] : ordered) sites.push_back(std::move(site));
  return sites;
}

CookieDeleteResult deleteCookieSite(const BrowserProfile& profile, const std::string& site,
                                    bool vacuum) {
  if (!plausibleSite(site)) return CookieDeleteResult::NotFound;
  // A running browser keeps its cookies in memory and writes them back.
  if (browserRunning(profile)) return CookieDeleteResult::InUse;
  const std::string path = cookieDatabasePath(profile);
  if (!isRegularFile(path)) return CookieDeleteResult::NotFound;
  SqliteConnection db = openLiveDatabase(path);
  if (!db) return CookieDeleteResult::Failed;
  if (int rc = execSql(db.get(), "PRAGMA secure_delete = ON"); rc != SQLITE_OK)
    return failure(db.get(), rc);
  if (int rc = execSql(db.get(), "BEGIN IMMEDIATE"); rc != SQLITE_OK) return failure(db.get(), rc);
  std::optional<CookieSchema> schema = detectSchema(db.get(), profile.family);
  if (!schema) return failure(db.get(), SQLITE_ERROR);
  if (!readSites(db.get(), *schema).contains(site)) {
    execSql(db.get(), "ROLLBACK");
    return CookieDeleteResult::NotFound;
  }
  if (int rc = runDelete(db.get(), *schema, site); rc != SQLITE_OK) return failure(db.get(), rc);
  if (int rc = execSql(db.get(), "COMMIT"); rc != SQLITE_OK) return failure(db.get(), rc);
  // The cookies are gone; what follows only shrinks what is left of them.
  if (vacuum) execSql(db.get(), "VACUUM");
  execSql(db.get(), "PRAGMA wal_checkpoint(TRUNCATE)");
  return CookieDeleteResult::Deleted;
}

}  // namespace platform::linux_os
