#include "cookie_databases.h"

#include <gtest/gtest.h>

namespace browsertest {

namespace {

constexpr const char* kFirefox17 =
    "CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, originAttributes TEXT NOT NULL DEFAULT '', "
    "name TEXT, value TEXT, host TEXT, path TEXT, expiry INTEGER, lastAccessed INTEGER, "
    "creationTime INTEGER, isSecure INTEGER, isHttpOnly INTEGER, inBrowserElement INTEGER DEFAULT "
    "0, sameSite INTEGER DEFAULT 0, schemeMap INTEGER DEFAULT 0, isPartitionedAttributeSet "
    "INTEGER DEFAULT 0, updateTime INTEGER, CONSTRAINT moz_uniqueid UNIQUE (name, host, path, "
    "originAttributes))";

constexpr const char* kFirefox15 =
    "CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, originAttributes TEXT NOT NULL DEFAULT '', "
    "name TEXT, value TEXT, host TEXT, path TEXT, expiry INTEGER, lastAccessed INTEGER, "
    "creationTime INTEGER, isSecure INTEGER, isHttpOnly INTEGER, inBrowserElement INTEGER DEFAULT "
    "0, sameSite INTEGER DEFAULT 0, rawSameSite INTEGER DEFAULT 0, schemeMap INTEGER DEFAULT 0, "
    "CONSTRAINT moz_uniqueid UNIQUE (name, host, path, originAttributes))";

constexpr const char* kChromium24 =
    "CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);"
    "INSERT INTO meta VALUES('mmap_status','-1'),('version','24'),('last_compatible_version','24');"
    "CREATE TABLE cookies(creation_utc INTEGER NOT NULL,host_key TEXT NOT NULL,top_frame_site_key "
    "TEXT NOT NULL,name TEXT NOT NULL,value TEXT NOT NULL,encrypted_value BLOB NOT NULL,path TEXT "
    "NOT NULL,expires_utc INTEGER NOT NULL,is_secure INTEGER NOT NULL,is_httponly INTEGER NOT "
    "NULL,last_access_utc INTEGER NOT NULL,has_expires INTEGER NOT NULL,is_persistent INTEGER NOT "
    "NULL,priority INTEGER NOT NULL,samesite INTEGER NOT NULL,source_scheme INTEGER NOT "
    "NULL,source_port INTEGER NOT NULL,last_update_utc INTEGER NOT NULL,source_type INTEGER NOT "
    "NULL,has_cross_site_ancestor INTEGER NOT NULL);"
    "CREATE UNIQUE INDEX cookies_unique_index ON cookies(host_key, top_frame_site_key, "
    "has_cross_site_ancestor, name, path, source_scheme, source_port);";

sqlite3* openNew(const std::string& path) {
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK) << path;
  // Only the tests' own speed: the file format is the same.
  execOn(db, "PRAGMA synchronous = OFF");
  return db;
}

void insertRows(sqlite3* db, const std::string& sql, const std::vector<CookieRow>& rows) {
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK)
      << sqlite3_errmsg(db);
  execOn(db, "BEGIN");
  for (const CookieRow& row : rows) {
    sqlite3_reset(stmt);
    sqlite3_bind_text(stmt, 1, row.host.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(stmt, 2, row.name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(stmt, 3, row.value.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(stmt, 4, row.partition.c_str(), -1, SQLITE_TRANSIENT);
    EXPECT_EQ(sqlite3_step(stmt), SQLITE_DONE) << sqlite3_errmsg(db);
  }
  sqlite3_finalize(stmt);
  execOn(db, "COMMIT");
}

}  // namespace

void execOn(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
  EXPECT_EQ(rc, SQLITE_OK) << sql << ": " << (error ? error : "");
  sqlite3_free(error);
}

void makeFirefoxCookies(const std::string& path, int userVersion,
                        const std::vector<CookieRow>& rows) {
  sqlite3* db = openNew(path);
  execOn(db, "PRAGMA page_size = 32768; PRAGMA journal_mode = WAL;");
  execOn(db, userVersion >= 17 ? kFirefox17 : kFirefox15);
  execOn(db, "PRAGMA user_version = " + std::to_string(userVersion));
  // Expiry: milliseconds from version 16, seconds before.
  const std::string expiry = userVersion >= 16 ? "1900000000000" : "1900000000";
  insertRows(db,
             "INSERT INTO moz_cookies (host, name, value, originAttributes, path, expiry, "
             "lastAccessed, creationTime, isSecure, isHttpOnly) VALUES (?1, ?2, ?3, ?4, '/', " +
                 expiry + ", 1765000000000000, 1765000000000000, 0, 0)",
             rows);
  sqlite3_close(db);
}

void makeChromiumCookies(const std::string& path, const std::vector<CookieRow>& rows) {
  sqlite3* db = openNew(path);
  execOn(db, kChromium24);
  insertRows(db,
             "INSERT INTO cookies VALUES (13400000000000000, ?1, ?4, ?2, '', CAST(?3 AS BLOB), "
             "'/', 13500000000000000, 0, 0, 13400000000000000, 1, 1, 1, -1, 1, 80, "
             "13400000000000000, 0, 0)",
             rows);
  sqlite3_close(db);
}

std::vector<std::string> queryRows(const std::string& databasePath, const std::string& sql) {
  std::vector<std::string> rows;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(databasePath.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    ADD_FAILURE() << "cannot open " << databasePath;
    return rows;
  }
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db);
    sqlite3_close(db);
    return rows;
  }
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    std::string row;
    for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
      if (i) row += "|";
      const void* blob = sqlite3_column_blob(stmt, i);
      if (blob) row.append(static_cast<const char*>(blob), sqlite3_column_bytes(stmt, i));
    }
    rows.push_back(row);
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return rows;
}

}  // namespace browsertest
