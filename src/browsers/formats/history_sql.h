// Small helpers over SQLite for the history databases: prepared statements
// that finalize themselves, and running a list of statements with the reason
// of the first failure.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

namespace browsers {

class Statement {
 public:
  Statement(sqlite3* db, const char* sql);
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool ok() const { return stmt_ != nullptr; }
  int prepareResult() const { return prepared_; }
  void bind(int index1, const std::string& text);
  // SQLITE_ROW, SQLITE_DONE or an error code.
  int step() { return stmt_ ? sqlite3_step(stmt_) : prepared_; }
  // Ready to run again with new bindings.
  void reset() {
    if (stmt_) sqlite3_reset(stmt_);
  }

  bool isNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
  std::int64_t integer(int column) const { return sqlite3_column_int64(stmt_, column); }
  std::string text(int column) const;

 private:
  sqlite3_stmt* stmt_ = nullptr;
  int prepared_ = SQLITE_OK;
};

// Runs SQL that returns no rows; on failure error holds SQLite's message.
int run(sqlite3* db, const std::string& sql, std::string& error);
// Runs each statement in turn, passing over empty ones (tables the schema
// lacks); stops at the first failure.
int runAll(sqlite3* db, const std::vector<std::string>& statements, std::string& error);

// Whether a result code means another connection holds the database locked.
inline bool isLockedCode(int rc) {
  const int primary = rc & 0xff;
  return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

}  // namespace browsers
