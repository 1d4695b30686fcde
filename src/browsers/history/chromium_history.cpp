#include "browsers/history/chromium_history.h"

#include "browsers/formats/history_sql.h"
#include "browsers/formats/sqlite_copy.h"
#include "browsers/history/history_records.h"

namespace browsers::history::chromium {

namespace {

// Tables that only hold history: emptied by a clearing. The sync metadata
// tables are left to the browser's own sync.
constexpr const char* kHistoryTables[] = {
    "visits", "visit_source", "visited_links", "keyword_search_terms", "segment_usage", "segments",
    "content_annotations", "context_annotations", "clusters", "clusters_and_visits",
    "cluster_keywords", "cluster_visit_duplicates", "journeys", "journey_history_entries",
    "journey_continuation_queries",
    // The download history, never the files downloaded.
    "downloads", "downloads_url_chains", "downloads_slices"};

std::string ifTable(sqlite3* db, const char* table, const std::string& sql) {
  return hasTable(db, table) ? sql : std::string();
}

// Fills TEMP keep with the bookmarked URLs.
int collectBookmarks(sqlite3* db, const UrlSet& bookmarks, std::string& error) {
  int rc =
      runAll(db, {"DROP TABLE IF EXISTS temp.keep", "CREATE TEMP TABLE keep(url TEXT PRIMARY KEY)"},
             error);
  if (rc != SQLITE_OK) return rc;
  Statement insert(db, "INSERT OR IGNORE INTO keep(url) VALUES (?1)");
  for (const std::string& url : bookmarks) {
    insert.bind(1, url);
    rc = insert.step();
    if (rc != SQLITE_DONE) {
      error = sqlite3_errmsg(db);
      return rc;
    }
    insert.reset();
  }
  return SQLITE_OK;
}

}  // namespace

bool recognised(sqlite3* db) {
  for (const char* column : {"url", "title", "last_visit_time", "visit_count", "typed_count"})
    if (!hasColumn(db, "urls", column)) return false;
  return hasTable(db, "visits");
}

const char* const kListSql =
    "SELECT url, title, last_visit_time, hidden, typed_count FROM urls "
    "WHERE last_visit_time != 0 ORDER BY last_visit_time DESC";

void recordFromRow(const Statement& row, core::HistoryEntry& record) {
  record.url = row.text(0);
  record.title = row.text(1);
  const std::int64_t visited = row.integer(2);
  record.lastVisited = fileTimeFrom1601Micros(visited);
  record.lastUpdated = record.lastVisited;
  record.expires = 0;
  if (visited > 0 && visited <= INT64_MAX / 10 - kChromiumExpiryMicros)
    record.expires = fileTimeFrom1601Micros(visited + kChromiumExpiryMicros);
  record.flags = historyFlags(row.integer(3) != 0, row.integer(4) > 0);
}

int prepareConnection(sqlite3* db, std::string& error) {
  return run(db, "PRAGMA secure_delete = ON", error);
}

int deleteUrl(sqlite3* db, const std::string& url, const UrlSet& bookmarks, std::string& error) {
  Statement collect(db, "CREATE TEMP TABLE victim AS SELECT id FROM urls WHERE url = ?1");
  collect.bind(1, url);
  int rc = collect.step();
  if (rc != SQLITE_DONE) {
    error = sqlite3_errmsg(db);
    return rc;
  }
  const std::string inVisits = " IN (SELECT id FROM vv)";
  const std::string inVictim = " IN (SELECT id FROM victim)";
  const bool hasOpener = hasColumn(db, "visits", "opener_visit");
  return runAll(
      db,
      {"CREATE TEMP TABLE vv AS SELECT id FROM visits WHERE url" + inVictim,
       "UPDATE visits SET from_visit = 0 WHERE from_visit" + inVisits,
       hasOpener ? "UPDATE visits SET opener_visit = 0 WHERE opener_visit" + inVisits : "",
       ifTable(db, "visit_source", "DELETE FROM visit_source WHERE id" + inVisits),
       ifTable(db, "content_annotations",
               "DELETE FROM content_annotations WHERE visit_id" + inVisits),
       ifTable(db, "context_annotations",
               "DELETE FROM context_annotations WHERE visit_id" + inVisits),
       ifTable(db, "clusters_and_visits",
               "DELETE FROM clusters_and_visits WHERE visit_id" + inVisits),
       ifTable(db, "cluster_visit_duplicates",
               "DELETE FROM cluster_visit_duplicates WHERE visit_id" + inVisits +
                   " OR duplicate_visit_id" + inVisits),
       "DELETE FROM visits WHERE id" + inVisits,
       ifTable(db, "visited_links", "DELETE FROM visited_links WHERE link_url_id" + inVictim),
       ifTable(db, "keyword_search_terms",
               "DELETE FROM keyword_search_terms WHERE url_id" + inVictim),
       hasTable(db, "segments")
           ? ifTable(db, "segment_usage",
                     "DELETE FROM segment_usage WHERE segment_id IN (SELECT id FROM segments "
                     "WHERE url_id" +
                         inVictim + ")")
           : "",
       ifTable(db, "segments", "DELETE FROM segments WHERE url_id" + inVictim),
       bookmarks.count(url)
           ? "UPDATE urls SET visit_count = 0, typed_count = 0, last_visit_time = 0 WHERE id" +
                 inVictim
           : "DELETE FROM urls WHERE id" + inVictim,
       "DROP TABLE vv", "DROP TABLE victim"},
      error);
}

int clearAll(sqlite3* db, const UrlSet& bookmarks, std::string& error) {
  std::vector<std::string> statements;
  for (const char* table : kHistoryTables)
    statements.push_back(ifTable(db, table, std::string("DELETE FROM ") + table));
  int rc = runAll(db, statements, error);
  if (rc != SQLITE_OK) return rc;
  rc = collectBookmarks(db, bookmarks, error);
  if (rc != SQLITE_OK) return rc;
  return runAll(db,
                {"DELETE FROM urls WHERE url IS NULL OR url NOT IN (SELECT url FROM keep)",
                 "UPDATE urls SET visit_count = 0, typed_count = 0, last_visit_time = 0"},
                error);
}

int afterCommit(sqlite3* db, bool cleared, std::string& error) {
  return cleared ? run(db, "VACUUM", error) : SQLITE_OK;
}

}  // namespace browsers::history::chromium
