// Browser history databases built for the tests with the browsers' own
// schemas: Firefox 153's places.sqlite (user_version 86), an older Firefox
// schema without the origins and metadata tables, and Chromium 156's History
// (meta version 70).
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

#include "browsers/profiles/browser_profiles.h"

namespace historytest {

// An open connection that closes itself; throws on SQL errors.
class Db {
 public:
  // exclusive: hold the database as a running browser does, from the first
  // write on.
  explicit Db(const std::string& path, bool exclusive = false);
  ~Db();
  Db(const Db&) = delete;
  Db& operator=(const Db&) = delete;
  void exec(const std::string& sql);
  std::int64_t count(const std::string& sql);  // first column of the first row
  std::vector<std::string> strings(const std::string& sql);
  sqlite3* get() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

enum class FirefoxSchema { Current, Old };

// A places.sqlite in WAL mode with the given schema and the browser's root
// bookmark folders.
void createFirefoxPlaces(const std::string& path, FirefoxSchema schema = FirefoxSchema::Current);

// Adds a visited place (visitUs: microseconds since 1970; title may be null)
// with one visit; returns its id.
std::int64_t addFirefoxPlace(Db& db, const std::string& url, const char* title,
                             std::int64_t visitUs, bool hidden = false, int typed = 0);
// Bookmarks a place in the menu folder, raising its foreign_count as the
// browser's triggers do.
void bookmarkFirefoxPlace(Db& db, std::int64_t placeId);

void createChromiumHistory(const std::string& path);
// Adds a URL (visit1601Us: microseconds since 1601) with one visit; returns its id.
std::int64_t addChromiumUrl(Db& db, const std::string& url, const char* title,
                            std::int64_t visit1601Us, bool hidden = false, int typedCount = 0);
// Writes <profileDir>/Bookmarks holding these URLs in the bookmark bar.
void writeChromiumBookmarks(const std::string& profileDir, const std::vector<std::string>& urls);

// PRAGMA integrity_check is "ok" and foreign_key_check reports nothing.
bool databaseClean(Db& db);

browsers::BrowserProfile firefoxProfile(const std::string& dir,
                                        const std::string& name = "default-esr");
browsers::BrowserProfile chromiumProfile(const std::string& dir,
                                         const std::string& name = "Person 1");

}  // namespace historytest
