// Reading a SQLite database that a browser may hold locked, and opening one
// for writing without waiting for anybody's lock.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>

#include "platform/file_access.h"

namespace browsers {

struct SqliteCloser {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using SqliteConnection = std::unique_ptr<sqlite3, SqliteCloser>;

// A private copy of a database: the main file with its -wal and -journal,
// copied into a fresh folder that only we can enter, and opened there. Reading
// the copy never touches or waits for the live file, and the recent rows that
// sit in the -wal are part of it. The folder goes with the object.
class SqliteCopy {
 public:
  // Null when the database cannot be copied or its copy is not a readable
  // database.
  static std::unique_ptr<SqliteCopy> open(const std::string& databasePath);
  ~SqliteCopy();
  SqliteCopy(const SqliteCopy&) = delete;
  SqliteCopy& operator=(const SqliteCopy&) = delete;

  sqlite3* db() const { return db_.get(); }
  const std::string& path() const { return path_; }

 private:
  SqliteCopy() = default;
  std::unique_ptr<platform::files::PrivateFolder> folder_;
  std::string path_;
  SqliteConnection db_;
};

// Opens an existing database for reading and writing: no link is followed,
// nothing is created, and a lock held by another program fails at once
// (SQLITE_BUSY) rather than waiting. Null when it cannot be opened.
SqliteConnection openLiveDatabase(const std::string& path);

// Runs SQL that returns no rows; the SQLite result code.
int execSql(sqlite3* db, const char* sql);

// Whether the database has a table (or view) of that name.
bool hasTable(sqlite3* db, const std::string& table);

// Whether the table has a column of that name.
bool hasColumn(sqlite3* db, const std::string& table, const std::string& column);

}  // namespace browsers
