#include "browsers/cookies/cookie_store.h"

#include <algorithm>
#include <optional>
#include <set>

#include "browsers/cookies/cookie_site.h"
#include "browsers/formats/sqlite_copy.h"
#include "platform/file_access.h"
#include "platform/paths.h"

namespace browsers {

namespace {

struct CookieSchema {
  std::string table;
  // SQL giving each row's site.
  std::string site;
};

std::optional<CookieSchema> detectSchema(sqlite3* db, BrowserFamily family) {
  if (!registerCookieSiteFunction(db, family)) return std::nullopt;
  const bool firefox = family == BrowserFamily::Firefox;
  const std::string table = firefox ? "moz_cookies" : "cookies";
  const std::string host = firefox ? "host" : "host_key";
  const std::string partition = firefox ? "originAttributes" : "top_frame_site_key";
  if (!hasTable(db, table) || !hasColumn(db, table, host)) return std::nullopt;
  const std::string partitionArg = hasColumn(db, table, partition) ? partition : "NULL";
  return CookieSchema{table, "tracesweep_cookie_site(" + host + ", " + partitionArg + ")"};
}

// A site is listed only when it can stand as the last part of a file name.
bool plausibleSite(const std::string& site) {
  if (site.empty() || site.size() > 255) return false;
  return std::none_of(site.begin(), site.end(), [](char c) {
    auto u = static_cast<unsigned char>(c);
    return c == '/' || u < 0x20 || u == 0x7f;
  });
}

std::set<std::string> readSites(sqlite3* db, const CookieSchema& schema) {
  std::set<std::string> sites;
  sqlite3_stmt* stmt = nullptr;
  const std::string sql = "SELECT DISTINCT " + schema.site + " FROM " + schema.table;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) return sites;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    const unsigned char* text = sqlite3_column_text(stmt, 0);
    if (!text) continue;
    std::string value(reinterpret_cast<const char*>(text),
                      static_cast<std::size_t>(sqlite3_column_bytes(stmt, 0)));
    if (plausibleSite(value)) sites.insert(value);
  }
  sqlite3_finalize(stmt);
  return sites;
}

// "mail.example.com" -> "com\1example\1mail": the sites of one domain sort
// together.
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

// tracesweep_doomed(site): 1 for a site of the set handed over as user data.
void doomedFunction(sqlite3_context* context, int, sqlite3_value** argv) {
  const auto* doomed = static_cast<const std::set<std::string>*>(sqlite3_user_data(context));
  const unsigned char* text = sqlite3_value_text(argv[0]);
  bool found =
      text && doomed->contains(std::string(reinterpret_cast<const char*>(text),
                                           static_cast<std::size_t>(sqlite3_value_bytes(argv[0]))));
  sqlite3_result_int(context, found ? 1 : 0);
}

int runDelete(sqlite3* db, const CookieSchema& schema, const std::set<std::string>& doomed,
              std::int64_t& deleted) {
  int rc = sqlite3_create_function(
      db, "tracesweep_doomed", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_DIRECTONLY,
      const_cast<std::set<std::string>*>(&doomed), doomedFunction, nullptr, nullptr);
  if (rc != SQLITE_OK) return rc;
  const std::string sql =
      "DELETE FROM " + schema.table + " WHERE tracesweep_doomed(" + schema.site + ")";
  rc = execSql(db, sql.c_str());
  if (rc == SQLITE_OK) deleted = sqlite3_changes64(db);
  return rc;
}

bool busy(int rc) {
  int primary = rc & 0xff;
  return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

// In WAL mode a commit need not reach the disk by itself: the checkpoint that
// follows syncs the WAL and then the database before it returns. (In
// rollback mode the full setting stays.)
void relaxCommitSyncInWalMode(sqlite3* db) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &stmt, nullptr) != SQLITE_OK) return;
  bool wal = sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_text(stmt, 0) &&
             std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))) == "wal";
  sqlite3_finalize(stmt);
  if (wal) execSql(db, "PRAGMA synchronous = NORMAL");
}

int onProgress(void* busy) {
  (*static_cast<const std::function<void()>*>(busy))();
  return 0;
}

// The whole change in one transaction: the sites found, or the failure.
CookieDeleteResult deleteInTransaction(sqlite3* db, BrowserFamily family,
                                       const std::set<std::string>& doomed,
                                       std::set<std::string>& found, std::int64_t& deleted) {
  auto failure = [db](int rc) {
    if (!sqlite3_get_autocommit(db)) execSql(db, "ROLLBACK");
    return busy(rc) ? CookieDeleteResult::InUse : CookieDeleteResult::Failed;
  };
  if (int rc = execSql(db, "PRAGMA secure_delete = ON"); rc != SQLITE_OK) return failure(rc);
  relaxCommitSyncInWalMode(db);
  if (int rc = execSql(db, "BEGIN IMMEDIATE"); rc != SQLITE_OK) return failure(rc);
  std::optional<CookieSchema> schema = detectSchema(db, family);
  if (!schema) return failure(SQLITE_ERROR);
  for (const std::string& site : readSites(db, *schema))
    if (doomed.contains(site)) found.insert(site);
  if (found.empty()) {
    execSql(db, "ROLLBACK");
    return CookieDeleteResult::NotFound;
  }
  if (int rc = runDelete(db, *schema, found, deleted); rc != SQLITE_OK) return failure(rc);
  if (int rc = execSql(db, "COMMIT"); rc != SQLITE_OK) return failure(rc);
  return CookieDeleteResult::Deleted;
}

}  // namespace

std::string cookieDatabasePath(const BrowserProfile& profile) {
  if (profile.family == BrowserFamily::Firefox)
    return platform::pathBelow(profile.profileDir, "cookies.sqlite");
  if (platform::files::isRegularFile(
          platform::pathBelow(profile.profileDir, "Network/NetworkDataMigrated")))
    return platform::pathBelow(profile.profileDir, "Network/Cookies");
  return platform::pathBelow(profile.profileDir, "Cookies");
}

CookieSites listCookieSites(const BrowserProfile& profile) {
  const std::string path = cookieDatabasePath(profile);
  if (!platform::files::isRegularFile(path)) return {};
  CookieSites out;
  // Read from a private copy: one that cannot be made leaves the cookies
  // unlisted, and so uncleared, which must be told, never "0 removed".
  std::unique_ptr<SqliteCopy> copy = SqliteCopy::open(path);
  if (!copy) {
    out.problem = "the cookies of " + displayName(profile) +
                  " could not be read: no private copy of their database could be made (the "
                  "temporary folder may be full or read-only)";
    return out;
  }
  std::optional<CookieSchema> schema = detectSchema(copy->db(), profile.family);
  if (!schema) {
    out.problem = "the cookies of " + displayName(profile) +
                  " could not be read: their database is not in a form Tracesweep knows";
    return out;
  }
  out.sites = sitesInDomainOrder(readSites(copy->db(), *schema));
  return out;
}

std::vector<std::string> sitesInDomainOrder(const std::set<std::string>& sites) {
  std::vector<std::pair<std::string, std::string>> ordered;
  for (const std::string& site : sites) ordered.emplace_back(domainOrderKey(site), site);
  std::sort(ordered.begin(), ordered.end());
  std::vector<std::string> out;
  for (auto& [key, site] : ordered) out.push_back(std::move(site));
  return out;
}

std::vector<CookieDeleteResult> deleteCookieSites(const BrowserProfile& profile,
                                                  const std::vector<std::string>& sites,
                                                  bool vacuum, const std::function<void()>& busy) {
  return deleteCookieSitesCounted(profile, sites, vacuum, busy).results;
}

CookieDeletion deleteCookieSitesCounted(const BrowserProfile& profile,
                                        const std::vector<std::string>& sites, bool vacuum,
                                        const std::function<void()>& busy) {
  CookieDeletion deletion;
  std::vector<CookieDeleteResult>& results = deletion.results;
  results.assign(sites.size(), CookieDeleteResult::NotFound);
  std::set<std::string> doomed;
  for (const std::string& site : sites)
    if (plausibleSite(site)) doomed.insert(site);
  if (doomed.empty()) return deletion;
  auto all = [&](CookieDeleteResult result) {
    std::fill(results.begin(), results.end(), result);
    return deletion;
  };
  // A running browser keeps its cookies in memory and writes them back.
  if (browserRunning(profile)) return all(CookieDeleteResult::InUse);
  const std::string path = cookieDatabasePath(profile);
  if (!platform::files::isRegularFile(path)) return deletion;
  SqliteConnection db = openLiveDatabase(path);
  if (!db) return all(CookieDeleteResult::Failed);
  if (busy)
    sqlite3_progress_handler(db.get(), 20000, onProgress,
                             const_cast<std::function<void()>*>(&busy));
  std::set<std::string> found;
  const CookieDeleteResult outcome =
      deleteInTransaction(db.get(), profile.family, doomed, found, deletion.cookies);
  if (outcome != CookieDeleteResult::Deleted)
    return outcome == CookieDeleteResult::NotFound ? deletion : all(outcome);
  for (std::size_t i = 0; i < sites.size(); ++i)
    if (found.contains(sites[i])) results[i] = CookieDeleteResult::Deleted;
  // The cookies are gone; what follows only shrinks what is left of them.
  if (vacuum) execSql(db.get(), "VACUUM");
  execSql(db.get(), "PRAGMA wal_checkpoint(TRUNCATE)");
  sqlite3_progress_handler(db.get(), 0, nullptr, nullptr);
  return deletion;
}

CookieDeleteResult deleteCookieSite(const BrowserProfile& profile, const std::string& site,
                                    bool vacuum) {
  return deleteCookieSites(profile, {site}, vacuum).front();
}

}  // namespace browsers
