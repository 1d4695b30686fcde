// The rows of SQLite stores of site data that name an origin (the quota
// managers' rows, Firefox's older localStorage), by site. Every SQLite result
// is checked: a database that cannot be opened, written or even asked for
// its tables is a problem, never "nothing of the site there".
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "browsers/cookies/site_data.h"

namespace browsers {

// What deleting rows of some sites from one SQLite table came to.
struct RowRemoval {
  std::map<std::string, std::int64_t> removed;  // site -> distinct keys removed
  std::string problem;                          // "" or why nothing changed
  // On a problem, the sites of ours whose rows stayed (all of them when
  // even that cannot be read).
  std::set<std::string> stayed;
};
// Deletes, in one transaction with secure_delete on, every row of table whose
// keyColumn names one of the sites (siteOfKey gives a key's site, "" for none
// of ours), then checkpoints so that nothing deleted stays in a WAL. No file
// or no such table: nothing to do. Items are the distinct keys. alsoSql, when
// given, runs in the same transaction once rows went, if the database has the
// table alsoTable.
RowRemoval removeRowsOfSites(const std::string& database, const std::string& table,
                             const std::string& keyColumn, const SiteOfKey& siteOfKey,
                             const std::set<std::string>& sites, const std::string& alsoTable = {},
                             const std::string& alsoSql = {});

// Every distinct value of column (an SQL expression) of a table, read from a
// private copy; "" or why the database, which is there, could not be read.
// No file or no such table: no value and no problem.
std::string readColumnOfRows(const std::string& database, const std::string& table,
                             const std::string& column,
                             const std::function<void(std::string_view)>& each);

// The sites named by keyColumn of a table, added to sites; as readColumnOfRows.
std::string readSitesOfRows(const std::string& database, const std::string& table,
                            const std::string& keyColumn, const SiteOfKey& siteOfKey,
                            std::set<std::string>& sites);

}  // namespace browsers
