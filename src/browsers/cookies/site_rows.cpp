#include "browsers/cookies/site_rows.h"

#include <memory>
#include <optional>
#include <vector>

#include "browsers/formats/sqlite_copy.h"
#include "platform/file_access.h"

namespace browsers {

namespace {

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

std::string problemOf(int rc) {
  const int primary = rc & 0xff;
  if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) return "it is locked by another program";
  return std::string("it could not be changed (") + sqlite3_errstr(rc) + ")";
}

// Whether the table is there: true, false, or the SQLite error of asking.
struct TableCheck {
  bool present = false;
  int rc = SQLITE_OK;
};
TableCheck checkTable(sqlite3* db, const std::string& table) {
  sqlite3_stmt* stmt = nullptr;
  TableCheck out;
  out.rc = sqlite3_prepare_v2(
      db, "SELECT 1 FROM sqlite_master WHERE name = ?1 AND type IN ('table','view')", -1, &stmt,
      nullptr);
  if (out.rc != SQLITE_OK) return out;
  sqlite3_bind_text(stmt, 1, table.c_str(), -1, SQLITE_TRANSIENT);
  const int step = sqlite3_step(stmt);
  sqlite3_finalize(stmt);
  if (step == SQLITE_ROW)
    out.present = true;
  else if (step != SQLITE_DONE)
    out.rc = step;
  return out;
}

// Every distinct value of column; the SQLite error that cut the reading short.
int distinctValues(sqlite3* db, const std::string& table, const std::string& column,
                   const std::function<void(std::string_view)>& each) {
  sqlite3_stmt* stmt = nullptr;
  const std::string sql = "SELECT DISTINCT " + column + " FROM " + table;
  int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
  if (rc != SQLITE_OK) return rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    const unsigned char* text = sqlite3_column_text(stmt, 0);
    if (text)
      each(std::string_view(reinterpret_cast<const char*>(text),
                            static_cast<std::size_t>(sqlite3_column_bytes(stmt, 0))));
  }
  sqlite3_finalize(stmt);
  return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

}  // namespace

std::string readColumnOfRows(const std::string& database, const std::string& table,
                             const std::string& column,
                             const std::function<void(std::string_view)>& each) {
  const std::optional<platform::files::EntryInfo> info = platform::files::infoOf(database);
  if (!info) return {};
  if (info->kind != platform::files::EntryKind::File) return "it is not a regular file";
  const std::unique_ptr<SqliteCopy> copy = SqliteCopy::open(database);
  if (!copy)
    return "it could not be read (no private copy of it could be made, or it is not a database)";
  const TableCheck check = checkTable(copy->db(), table);
  if (check.rc != SQLITE_OK)
    return std::string("it could not be read (") + sqlite3_errstr(check.rc) + ")";
  if (!check.present) return {};
  if (const int rc = distinctValues(copy->db(), table, column, each); rc != SQLITE_OK)
    return std::string("it could not be read (") + sqlite3_errstr(rc) + ")";
  return {};
}

std::string readSitesOfRows(const std::string& database, const std::string& table,
                            const std::string& keyColumn, const SiteOfKey& siteOfKey,
                            std::set<std::string>& sites) {
  return readColumnOfRows(database, table, keyColumn, [&](std::string_view key) {
    if (std::string site = siteOfKey(key); !site.empty()) sites.insert(std::move(site));
  });
}

namespace {

RowRemoval removeRows(const std::string& database, const std::string& table,
                      const std::string& keyColumn, const SiteOfKey& siteOfKey,
                      const std::set<std::string>& sites, const std::string& alsoTable,
                      const std::string& alsoSql) {
  RowRemoval out;
  if (sites.empty()) return out;
  const std::optional<platform::files::EntryInfo> info = platform::files::infoOf(database);
  if (!info) return out;
  if (info->kind != platform::files::EntryKind::File) {
    out.problem = "it is not a regular file";
    return out;
  }
  SqliteConnection db = openLiveDatabase(database);
  if (!db) {
    out.problem = "it could not be opened";
    return out;
  }
  // SQLite falls back to reading alone when the file cannot be written: a
  // read-only file or file system is a failure told now, not at the commit.
  if (sqlite3_db_readonly(db.get(), "main") != 0) {
    out.problem = "it is read-only";
    return out;
  }
  auto fail = [&](int rc) {
    if (!sqlite3_get_autocommit(db.get())) execSql(db.get(), "ROLLBACK");
    out.removed.clear();
    out.problem = problemOf(rc);
    return out;
  };
  if (int rc = execSql(db.get(), "PRAGMA secure_delete = ON"); rc != SQLITE_OK) return fail(rc);
  if (int rc = execSql(db.get(), "BEGIN IMMEDIATE"); rc != SQLITE_OK) return fail(rc);
  const TableCheck check = checkTable(db.get(), table);
  if (check.rc != SQLITE_OK) return fail(check.rc);
  if (!check.present) {
    execSql(db.get(), "ROLLBACK");
    return out;
  }
  const int rc = distinctValues(db.get(), table, keyColumn, [&](std::string_view key) {
    if (std::string site = siteOfKey(key); sites.contains(site)) ++out.removed[site];
  });
  if (rc != SQLITE_OK) return fail(rc);
  if (out.removed.empty()) {
    execSql(db.get(), "ROLLBACK");
    return out;
  }
  DoomedKeys doomed{&siteOfKey, &sites};
  if (int r = sqlite3_create_function(db.get(), "tracesweep_doomed_key", 1,
                                      SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_DIRECTONLY,
                                      &doomed, doomedKeyFunction, nullptr, nullptr);
      r != SQLITE_OK)
    return fail(r);
  const std::string sql =
      "DELETE FROM " + table + " WHERE tracesweep_doomed_key(" + keyColumn + ")";
  if (int r = execSql(db.get(), sql.c_str()); r != SQLITE_OK) return fail(r);
  if (!alsoSql.empty()) {
    const TableCheck also = checkTable(db.get(), alsoTable);
    if (also.rc != SQLITE_OK) return fail(also.rc);
    if (also.present)
      if (int r = execSql(db.get(), alsoSql.c_str()); r != SQLITE_OK) return fail(r);
  }
  if (int r = execSql(db.get(), "COMMIT"); r != SQLITE_OK) return fail(r);
  // The rows are gone from the database; what stays in a WAL goes with the
  // checkpoint, which the browser also runs when it next opens it.
  execSql(db.get(), "PRAGMA wal_checkpoint(TRUNCATE)");
  return out;
}

}  // namespace

RowRemoval removeRowsOfSites(const std::string& database, const std::string& table,
                             const std::string& keyColumn, const SiteOfKey& siteOfKey,
                             const std::set<std::string>& sites, const std::string& alsoTable,
                             const std::string& alsoSql) {
  RowRemoval out = removeRows(database, table, keyColumn, siteOfKey, sites, alsoTable, alsoSql);
  if (out.problem.empty()) return out;
  std::set<std::string> present;
  if (readSitesOfRows(database, table, keyColumn, siteOfKey, present).empty()) {
    for (const std::string& site : sites)
      if (present.contains(site)) out.stayed.insert(site);
  } else {
    out.stayed = sites;
  }
  return out;
}

}  // namespace browsers
