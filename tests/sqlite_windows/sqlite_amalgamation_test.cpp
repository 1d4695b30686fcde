// SQLite as the Windows program links it (the amalgamation, built here): a
// real database file written and read back, and a database that another
// connection holds exclusively found busy at once, which is how a running
// browser is told.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "temp_dir.h"

namespace {

struct Connection {
  explicit Connection(const std::string& file) {
    result =
        sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  }
  ~Connection() { sqlite3_close(db); }
  int exec(const std::string& sql) {
    return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  }
  sqlite3* db = nullptr;
  int result = SQLITE_ERROR;
};

std::string firstText(Connection& connection, const std::string& sql, int& result) {
  sqlite3_stmt* statement = nullptr;
  result = sqlite3_prepare_v2(connection.db, sql.c_str(), -1, &statement, nullptr);
  std::string text;
  if (result == SQLITE_OK) {
    result = sqlite3_step(statement);
    if (result == SQLITE_ROW)
      text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
  }
  sqlite3_finalize(statement);
  return text;
}

TEST(SqliteOnWindows, WritesAFileReadsItBackAndFindsAnExclusiveHolderBusy) {
  testsupport::TempDir dir;
  const std::string file = (dir.path() / "cookies.sqlite").string();
  int result = SQLITE_ERROR;
  {
    Connection writer(file);
    ASSERT_EQ(writer.result, SQLITE_OK);
    ASSERT_EQ(writer.exec("CREATE TABLE moz_cookies(host TEXT, name TEXT);"
                          "INSERT INTO moz_cookies VALUES('.example.org', 'session');"),
              SQLITE_OK);
  }
  Connection reader(file);
  ASSERT_EQ(reader.result, SQLITE_OK);
  EXPECT_EQ(firstText(reader, "SELECT name FROM moz_cookies WHERE host = '.example.org'", result),
            "session");
  EXPECT_EQ(result, SQLITE_ROW);
  // A double-quoted word is a column, never a string (SQLITE_DQS=0).
  firstText(reader, "SELECT \"no such column\" FROM moz_cookies", result);
  EXPECT_EQ(result, SQLITE_ERROR);

  // As a browser holds its databases: exclusive locking, the lock taken by a
  // write and kept after it.
  Connection browser(file);
  ASSERT_EQ(browser.result, SQLITE_OK);
  ASSERT_EQ(browser.exec("PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE;"
                         "INSERT INTO moz_cookies VALUES('.example.com', 'kept'); COMMIT;"),
            SQLITE_OK);
  Connection late(file);
  ASSERT_EQ(late.result, SQLITE_OK);
  // No busy handler: the answer comes at once instead of after a wait.
  firstText(late, "SELECT count(*) FROM moz_cookies", result);
  EXPECT_EQ(result, SQLITE_BUSY);
  EXPECT_EQ(late.exec("DELETE FROM moz_cookies"), SQLITE_BUSY);
}

}  // namespace
