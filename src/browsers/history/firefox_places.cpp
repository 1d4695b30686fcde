#include "browsers/history/firefox_places.h"

#include "browsers/formats/history_sql.h"
#include "browsers/formats/sqlite_copy.h"
#include "browsers/history/history_records.h"

namespace browsers::history::firefox {

namespace {

// The SET list that marks a kept place as unvisited; the recalculation
// columns exist only in newer schemas.
std::string resetVisitsSql(sqlite3* db) {
  std::string sql = "UPDATE moz_places SET visit_count = 0, last_visit_date = NULL, typed = 0";
  for (const char* column : {"recalc_frecency", "recalc_alt_frecency"})
    if (hasColumn(db, "moz_places", column)) sql += std::string(", ") + column + " = 1";
  return sql;
}

// "UPDATE moz_origins SET recalc_... = 1" or "" when the schema has neither.
std::string recalcOriginsSql(sqlite3* db) {
  std::string set;
  for (const char* column : {"recalc_frecency", "recalc_alt_frecency"})
    if (hasColumn(db, "moz_origins", column))
      set += std::string(set.empty() ? "" : ", ") + column + " = 1";
  return set.empty() ? std::string() : "UPDATE moz_origins SET " + set;
}

bool hasOrigins(sqlite3* db) {
  return hasTable(db, "moz_origins") && hasColumn(db, "moz_places", "origin_id");
}

}  // namespace

bool recognised(sqlite3* db) {
  for (const char* column : {"url", "title", "last_visit_date", "foreign_count", "visit_count"})
    if (!hasColumn(db, "moz_places", column)) return false;
  return hasTable(db, "moz_historyvisits");
}

const char* const kListSql =
    "SELECT url, title, last_visit_date, hidden, typed FROM moz_places "
    "WHERE last_visit_date IS NOT NULL ORDER BY last_visit_date DESC";

void recordFromRow(const Statement& row, core::HistoryEntry& record) {
  record.url = row.text(0);
  record.title = row.text(1);
  record.lastVisited = fileTimeFromUnixMicros(row.integer(2));
  record.lastUpdated = record.lastVisited;
  record.expires = 0;
  record.flags = historyFlags(row.integer(3) != 0, row.integer(4) != 0);
}

int prepareConnection(sqlite3* db, std::string& error) {
  return runAll(db, {"PRAGMA foreign_keys = ON", "PRAGMA secure_delete = ON"}, error);
}

int deleteUrl(sqlite3* db, const std::string& url, std::string& error) {
  const bool origins = hasOrigins(db);
  const bool metadata = hasTable(db, "moz_places_metadata");
  const std::string victim = std::string("CREATE TEMP TABLE victim AS SELECT id, ") +
                             (origins ? "origin_id" : "NULL AS origin_id") +
                             ", foreign_count FROM moz_places WHERE url = ?1";
  Statement collect(db, victim.c_str());
  collect.bind(1, url);
  int rc = collect.step();
  if (rc != SQLITE_DONE) {
    error = sqlite3_errmsg(db);
    return rc;
  }
  const std::string recalcOrigins = origins ? recalcOriginsSql(db) : std::string();
  return runAll(
      db,
      {"DELETE FROM moz_historyvisits WHERE place_id IN (SELECT id FROM victim)",
       metadata ? "DELETE FROM moz_places_metadata WHERE place_id IN (SELECT id FROM victim) "
                  "OR referrer_place_id IN (SELECT id FROM victim)"
                : "",
       metadata && hasTable(db, "moz_places_metadata_search_queries")
           ? "DELETE FROM moz_places_metadata_search_queries WHERE id NOT IN (SELECT "
             "search_query_id FROM moz_places_metadata WHERE search_query_id IS NOT NULL)"
           : "",
       hasTable(db, "moz_inputhistory")
           ? "DELETE FROM moz_inputhistory WHERE place_id IN (SELECT id FROM victim)"
           : "",
       hasTable(db, "moz_annos")
           ? "DELETE FROM moz_annos WHERE place_id IN (SELECT id FROM victim WHERE "
             "foreign_count = 0)"
           : "",
       "DELETE FROM moz_places WHERE id IN (SELECT id FROM victim WHERE foreign_count = 0)",
       resetVisitsSql(db) + " WHERE id IN (SELECT id FROM victim WHERE foreign_count > 0)",
       recalcOrigins.empty() ? "" : recalcOrigins + " WHERE id IN (SELECT origin_id FROM victim)",
       origins ? "DELETE FROM moz_origins WHERE id IN (SELECT origin_id FROM victim) AND NOT "
                 "EXISTS (SELECT 1 FROM moz_places p WHERE p.origin_id = moz_origins.id)"
               : "",
       "DROP TABLE victim"},
      error);
}

int clearAll(sqlite3* db, std::string& error) {
  const bool origins = hasOrigins(db);
  return runAll(
      db,
      {hasTable(db, "moz_places_metadata") ? "DELETE FROM moz_places_metadata" : "",
       hasTable(db, "moz_places_metadata_search_queries")
           ? "DELETE FROM moz_places_metadata_search_queries"
           : "",
       "DELETE FROM moz_historyvisits",
       hasTable(db, "moz_inputhistory") ? "DELETE FROM moz_inputhistory" : "",
       "DELETE FROM moz_places WHERE foreign_count = 0",
       hasTable(db, "moz_annos")
           ? "DELETE FROM moz_annos WHERE place_id NOT IN (SELECT id FROM moz_places)"
           : "",
       // The download history is annotations of the downloads' pages, which a
       // bookmark keeps: they go even there (the files downloaded stay).
       hasTable(db, "moz_annos") && hasTable(db, "moz_anno_attributes")
           ? "DELETE FROM moz_annos WHERE anno_attribute_id IN (SELECT id FROM "
             "moz_anno_attributes WHERE name LIKE 'downloads/%')"
           : "",
       resetVisitsSql(db),
       origins ? "DELETE FROM moz_origins WHERE id NOT IN (SELECT origin_id FROM moz_places "
                 "WHERE origin_id IS NOT NULL)"
               : "",
       origins ? recalcOriginsSql(db) : ""},
      error);
}

int afterCommit(sqlite3* db, std::string& error) {
  return run(db, "PRAGMA wal_checkpoint(TRUNCATE)", error);
}

}  // namespace browsers::history::firefox
