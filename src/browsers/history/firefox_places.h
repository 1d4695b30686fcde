// The Firefox family's history database, places.sqlite: listing, deleting one
// URL and clearing, keeping bookmarked places. Every change runs inside the
// caller's transaction; statements on tables that an older schema lacks are
// left out.
#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

#include "browsers/formats/history_sql.h"
#include "core/history_area.h"

namespace browsers::history::firefox {

inline constexpr const char* kFileName = "places.sqlite";

// Whether the database has the places table this store understands.
bool recognised(sqlite3* db);

// Every visited place, the latest visit first; each row becomes a record
// through recordFromRow.
extern const char* const kListSql;
void recordFromRow(const Statement& row, core::HistoryEntry& out);

// Connection settings before the transaction: foreign keys (the browser's
// cascades to the extra tables) and secure deletion.
int prepareConnection(sqlite3* db, std::string& error);
int deleteUrl(sqlite3* db, const std::string& url, std::string& error);
int clearAll(sqlite3* db, std::string& error);
// After the commit: fold the WAL back into the file and empty it, so deleted
// rows do not survive there.
int afterCommit(sqlite3* db, std::string& error);

}  // namespace browsers::history::firefox
