// Finding the history database of each profile and walking its records.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "browsers/formats/history_sql.h"
#include "browsers/formats/sqlite_copy.h"
#include "browsers/profiles/browser_profiles.h"
#include "core/history_area.h"

namespace browsers::history {

struct HistorySource {
  BrowserProfile profile;
  std::string databasePath;
  bool browserRunning = false;
};

// The profiles whose history database exists as a regular file.
std::vector<HistorySource> historySources(const std::vector<BrowserProfile>& profiles);

// One database being listed, row by row. It is read where it lies while its
// browser is closed, and through a private copy (with its -wal or -journal)
// while the browser runs or holds it locked.
class SourceCursor {
 public:
  // Null when the database cannot be read; a database of an unknown layout
  // gives a cursor without records.
  static std::unique_ptr<SourceCursor> open(const HistorySource& source);
  // False at the end (or when a row cannot be read: the rest is skipped).
  bool next(core::HistoryEntry& out);

 private:
  SourceCursor() = default;
  bool prepare(sqlite3* db);

  BrowserFamily family_ = BrowserFamily::Firefox;
  std::string browser_;  // the records' browser and profile
  SqliteConnection live_;
  std::unique_ptr<SqliteCopy> copy_;
  std::unique_ptr<Statement> query_;
};

}  // namespace browsers::history
