#include "platform/linux/browsers/cookie_store.h"

#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <set>

#include "platform/linux/browsers/partition_site.h"
#include "platform/linux/common/sqlite_copy.h"

namespace platform::linux_os {

namespace {

struct CookieSchema {
  std::string table;
  std::string host;
  // SQL giving the top-level site of a partitioned cookie (NULL for others);
  // "" when the database keeps no partitions.
  std::string partitionSite;
};

bool isRegularFile(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<CookieSchema> detectSchema(sqlite3* db, BrowserFamily family) {
  const bool functions = registerPartitionFunctions(db);
  if (family == BrowserFamily::Firefox) {
    if (!hasTable(db, "moz_cookies") || !hasColumn(db, "moz_cookies", "host")) return std::nullopt;
    const bool partitions = functions && hasColumn(db, "moz_cookies", "originAttributes");
    return CookieSchema{"moz_cookies", "host",
                        partitions ? "tracesweep_partition_site(originAttributes)" : ""};
  }
  if (!hasTable(db, "cookies") || !hasColumn(db, "cookies", "host_key")) return std::nullopt;
  const bool partitions = functions && hasColumn(db, "cookies", "top_frame_site_key");
  return CookieSchema{"cookies", "host_key",
                      partitions ? "tracesweep_top_frame_site(top_frame_site_key)" : ""};
}

// A site is listed only when it can stand as the last part of a file name.
bool plausibleSite(const std::string& site) {
  if (site.empty() || site.size() > 255) return false;
  return std::none_of(site.begin(), site.end(), [](char c) {
    auto u = static_cast<unsigned char>(c);
    return c == '/' || u < 0x20 || u == 0x7f;
  });
}

void collectColumn(sqlite3* db, const std::string& sql, std::set<std::string>& out) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) return;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    const unsigned char* text = sqlite3_column_text(stmt, 0);
    if (!text) continue;
    std::string value(reinterpret_cast<const char*>(text),
                      static_cast<std::size_t>(sqlite3_column_bytes(stmt, 0)));
    if (plausibleSite(value)) out.insert(value);
  }
  sqlite3_finalize(stmt);
}

std::set<std::string> readSites(sqlite3* db, const CookieSchema& schema) {
  std::set<std::string> sites;
  collectColumn(db, "SELECT DISTINCT ltrim(" + schema.host + ", '.') FROM " + schema.table, sites);
  if (!schema.partitionSite.empty())
    collectColumn(db, "SELECT DISTINCT " + schema.partitionSite + " FROM " + schema.table, sites);
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

// The cookies of ?1: its exact host, its domain cookies and those of its
// sub-domains, and the cookies partitioned under it. No LIKE: "_" and "%" in
// a site name are ordinary characters.
std::string deleteStatement(const CookieSchema& schema) {
  auto ofSite = [](const std::string& column) {
    return column + " = ?1 OR " + column + " = '.' || ?1 OR substr(" + column +
           ", -length(?1) - 1) = '.' || ?1";
  };
  std::string sql = "DELETE FROM " + schema.table + " WHERE " + ofSite(schema.host);
  if (!schema.partitionSite.empty()) sql += " OR " + ofSite(schema.partitionSite);
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

// In WAL mode a commit need not reach the disk by itself: the checkpoint that
// follows every deletion syncs the WAL and then the database before it
// returns. (In rollback mode the full setting stays.)
void relaxCommitSyncInWalMode(sqlite3* db) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &stmt, nullptr) != SQLITE_OK) return;
  bool wal = sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_text(stmt, 0) &&
             std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))) == "wal";
  sqlite3_finalize(stmt);
  if (wal) execSql(db, "PRAGMA synchronous = NORMAL");
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
  relaxCommitSyncInWalMode(db.get());
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
