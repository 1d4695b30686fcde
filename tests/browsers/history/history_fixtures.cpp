#include "history_fixtures.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "schemas.h"

namespace historytest {

namespace {

// An older places.sqlite: no origins, no metadata, no recalculation columns.
constexpr const char* kOldFirefoxSchema = R"sql(
CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR,
    rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL,
    typed INTEGER DEFAULT 0 NOT NULL, favicon_id INTEGER, frecency INTEGER DEFAULT -1 NOT NULL,
    last_visit_date INTEGER, guid TEXT, foreign_count INTEGER DEFAULT 0 NOT NULL,
    url_hash INTEGER DEFAULT 0 NOT NULL);
CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, from_visit INTEGER, place_id INTEGER,
    visit_date INTEGER, visit_type INTEGER, session INTEGER);
CREATE TABLE moz_inputhistory (place_id INTEGER NOT NULL, input LONGVARCHAR NOT NULL,
    use_count INTEGER, PRIMARY KEY (place_id, input));
CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL,
    parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, folder_type TEXT,
    dateAdded INTEGER, lastModified INTEGER, guid TEXT);
CREATE TABLE moz_keywords (id INTEGER PRIMARY KEY AUTOINCREMENT, keyword TEXT UNIQUE,
    place_id INTEGER, post_data TEXT);
CREATE TABLE moz_anno_attributes (id INTEGER PRIMARY KEY, name VARCHAR(32) UNIQUE NOT NULL);
CREATE TABLE moz_annos (id INTEGER PRIMARY KEY, place_id INTEGER NOT NULL,
    anno_attribute_id INTEGER, content LONGVARCHAR, flags INTEGER DEFAULT 0,
    expiration INTEGER DEFAULT 0, type INTEGER DEFAULT 0, dateAdded INTEGER DEFAULT 0,
    lastModified INTEGER DEFAULT 0);
CREATE INDEX moz_places_url_hashindex ON moz_places (url_hash);
CREATE INDEX moz_historyvisits_placedateindex ON moz_historyvisits (place_id, visit_date);
)sql";

std::string sqlQuote(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
  return out + "'";
}

std::string titleSql(const char* title) {
  return title ? sqlQuote(title) : "NULL";
}

// "https://example.org/x" -> prefix "https://", host "example.org".
void splitOrigin(const std::string& url, std::string& prefix, std::string& host) {
  std::size_t scheme = url.find("://");
  std::size_t start = scheme == std::string::npos ? 0 : scheme + 3;
  prefix = url.substr(0, start);
  host = url.substr(start, url.find('/', start) - start);
}

}  // namespace

Db::Db(const std::string& path, bool exclusive) {
  if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) throw std::runtime_error("open " + path);
  // Like a browser: exclusive before the first access, so no -shm is used.
  if (exclusive) exec("PRAGMA locking_mode = EXCLUSIVE");
  exec("PRAGMA synchronous = OFF");  // test databases need no durability
}

Db::~Db() {
  sqlite3_close(db_);
}

void Db::exec(const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = message ? message : "?";
    sqlite3_free(message);
    throw std::runtime_error(text + " in: " + sql);
  }
}

std::int64_t Db::count(const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
    throw std::runtime_error(std::string(sqlite3_errmsg(db_)) + " in: " + sql);
  std::int64_t value = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
  sqlite3_finalize(stmt);
  return value;
}

std::vector<std::string> Db::strings(const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
    throw std::runtime_error(std::string(sqlite3_errmsg(db_)) + " in: " + sql);
  std::vector<std::string> out;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    const auto* text = sqlite3_column_text(stmt, 0);
    out.emplace_back(text ? reinterpret_cast<const char*>(text) : "<null>");
  }
  sqlite3_finalize(stmt);
  return out;
}

void createFirefoxPlaces(const std::string& path, FirefoxSchema schema) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  Db db(path);
  db.exec("PRAGMA journal_mode = WAL");
  db.exec(schema == FirefoxSchema::Current ? kFirefoxSchema : kOldFirefoxSchema);
  db.exec(schema == FirefoxSchema::Current ? "PRAGMA user_version = 86"
                                           : "PRAGMA user_version = 39");
  db.exec(
      "INSERT INTO moz_bookmarks(id, type, fk, parent, position, title, guid) VALUES "
      "(1, 2, NULL, 0, 0, '', 'root________'), (2, 2, NULL, 1, 0, 'menu', 'menu________')");
}

std::int64_t addFirefoxPlace(Db& db, const std::string& url, const char* title,
                             std::int64_t visitUs, bool hidden, int typed) {
  const bool origins = db.count("SELECT count(*) FROM sqlite_master WHERE name='moz_origins'") > 0;
  std::string originId = "NULL";
  if (origins) {
    std::string prefix, host;
    splitOrigin(url, prefix, host);
    db.exec("INSERT OR IGNORE INTO moz_origins(prefix, host, frecency) VALUES (" +
            sqlQuote(prefix) + ", " + sqlQuote(host) + ", 100)");
    originId =
        std::to_string(db.count("SELECT id FROM moz_origins WHERE prefix = " + sqlQuote(prefix) +
                                " AND host = " + sqlQuote(host)));
  }
  db.exec(std::string("INSERT INTO moz_places(url, title, visit_count, hidden, typed, ") +
          "last_visit_date, guid, url_hash" + (origins ? ", origin_id" : "") + ") VALUES (" +
          sqlQuote(url) + ", " + titleSql(title) + ", 1, " + (hidden ? "1" : "0") + ", " +
          std::to_string(typed) + ", " + std::to_string(visitUs) + ", " + sqlQuote("g" + url) +
          ", 0" + (origins ? ", " + originId : "") + ")");
  const std::int64_t id = sqlite3_last_insert_rowid(db.get());
  db.exec(
      "INSERT INTO moz_historyvisits(from_visit, place_id, visit_date, visit_type) VALUES (0, " +
      std::to_string(id) + ", " + std::to_string(visitUs) + ", 1)");
  return id;
}

void bookmarkFirefoxPlace(Db& db, std::int64_t placeId) {
  const std::string id = std::to_string(placeId);
  db.exec("INSERT INTO moz_bookmarks(type, fk, parent, position, title, guid) VALUES (1, " + id +
          ", 2, 0, 'kept', 'bm" + id + "')");
  db.exec("UPDATE moz_places SET foreign_count = foreign_count + 1 WHERE id = " + id);
}

void createChromiumHistory(const std::string& path) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  Db db(path);
  db.exec(kChromiumSchema);
  db.exec(
      "INSERT INTO meta(key, value) VALUES ('mmap_status', '-1'), ('version', '70'), "
      "('last_compatible_version', '16')");
}

std::int64_t addChromiumUrl(Db& db, const std::string& url, const char* title,
                            std::int64_t visit1601Us, bool hidden, int typedCount) {
  db.exec(
      "INSERT INTO urls(url, title, visit_count, typed_count, last_visit_time, hidden) VALUES (" +
      sqlQuote(url) + ", " + titleSql(title) + ", 1, " + std::to_string(typedCount) + ", " +
      std::to_string(visit1601Us) + ", " + (hidden ? "1" : "0") + ")");
  const std::int64_t id = sqlite3_last_insert_rowid(db.get());
  db.exec("INSERT INTO visits(url, visit_time, from_visit, transition) VALUES (" +
          std::to_string(id) + ", " + std::to_string(visit1601Us) + ", 0, 805306368)");
  return id;
}

void writeChromiumBookmarks(const std::string& profileDir, const std::vector<std::string>& urls) {
  std::string children;
  int id = 10;
  for (const std::string& url : urls) {
    if (!children.empty()) children += ",";
    children += R"({"id":")" + std::to_string(id++) + R"(","name":"b","type":"url","url":")" + url +
                R"("})";
  }
  std::ofstream(profileDir + "/Bookmarks")
      << R"({"checksum":"0","roots":{"bookmark_bar":{"children":[)" << children
      << R"(],"id":"1","name":"Bookmarks bar","type":"folder"},)"
      << R"("other":{"children":[],"id":"2","name":"Other bookmarks","type":"folder"},)"
      << R"("synced":{"children":[],"id":"3","name":"Mobile bookmarks","type":"folder"}},)"
      << R"("version":1})";
}

bool databaseClean(Db& db) {
  return db.strings("PRAGMA integrity_check") == std::vector<std::string>{"ok"} &&
         db.strings("PRAGMA foreign_key_check").empty();
}

browsers::BrowserProfile firefoxProfile(const std::string& dir, const std::string& name) {
  browsers::BrowserProfile profile;
  profile.family = browsers::BrowserFamily::Firefox;
  profile.browser = "firefox";
  profile.name = name;
  profile.profileDir = dir;
  profile.cacheDir = dir;
  return profile;
}

browsers::BrowserProfile chromiumProfile(const std::string& dir, const std::string& name) {
  browsers::BrowserProfile profile;
  profile.family = browsers::BrowserFamily::Chromium;
  profile.browser = "chromium";
  profile.name = name;
  profile.profileDir = dir;
  profile.cacheDir = dir;
  profile.userDataDir = std::filesystem::path(dir).parent_path().string();
  return profile;
}

}  // namespace historytest
