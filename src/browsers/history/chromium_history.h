// The Chromium family's history database, <profile>/History: listing,
// deleting one URL and clearing. URLs that the profile's Bookmarks file holds
// keep their row with the visits reset. Every change runs inside the caller's
// transaction; statements on tables that an older schema lacks are left out.
#pragma once

#include <sqlite3.h>

#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "browsers/formats/history_sql.h"
#include "core/history_area.h"

namespace browsers::history::chromium {

inline constexpr const char* kFileName = "History";

using UrlSet = std::unordered_set<std::string>;

// The URLs of every bookmark in <profileDir>/Bookmarks; an empty set when the
// file does not exist, nothing when it exists but cannot be read as bookmarks
// (then nothing may be deleted, or bookmarked rows could go).
std::optional<UrlSet> readBookmarkUrls(const std::string& profileDir);

bool recognised(sqlite3* db);

// Every visited URL, the latest visit first; each row becomes a record
// through recordFromRow.
extern const char* const kListSql;
void recordFromRow(const Statement& row, core::HistoryEntry& out);

int prepareConnection(sqlite3* db, std::string& error);
int deleteUrl(sqlite3* db, const std::string& url, const UrlSet& bookmarks, std::string& error);
// Leaves the bookmarked URLs in TEMP keep for the stores cleared after it.
int clearAll(sqlite3* db, const UrlSet& bookmarks, std::string& error);
// After the commit of a clearing: VACUUM, so no deleted page survives.
int afterCommit(sqlite3* db, bool cleared, std::string& error);

}  // namespace browsers::history::chromium
