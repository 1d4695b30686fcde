#include "browsers/formats/sqlite_copy.h"

#include <string_view>

#include "platform/file_access.h"
#include "platform/paths.h"

namespace browsers {

namespace {

using platform::files::CopyResult;

struct FileStamp {
  bool present = false;
  std::uint64_t size = 0;
  std::int64_t modifiedNs = 0;
  bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const std::string& path) {
  const std::optional<platform::files::EntryInfo> info = platform::files::infoOf(path);
  if (!info) return {};
  return {true, info->size, info->modifiedNs};
}

std::string baseName(const std::string& path) {
  std::string name = platform::fileNameOf(path);
  return name.empty() ? std::string("db") : name;
}

// Copies the database and its journals; false when the main file could not be
// copied. Journals that are absent are simply not there in the copy.
bool copyDatabase(const std::string& from, const std::string& to) {
  if (platform::files::copyToNewFile(from, to) != CopyResult::Copied) return false;
  for (const char* suffix : {"-wal", "-journal"})
    if (platform::files::copyToNewFile(from + suffix, to + suffix) == CopyResult::Failed)
      return false;
  return true;
}

constexpr const char* kCopyPrefix = "tracesweep-db-";

}  // namespace

std::unique_ptr<SqliteCopy> SqliteCopy::open(const std::string& databasePath) {
  std::unique_ptr<SqliteCopy> copy(new SqliteCopy());
  const std::string name = baseName(databasePath);
  // A browser that writes while we copy can leave the main file and its WAL
  // out of step: copy again while the live files keep changing under us.
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::unique_ptr<platform::files::PrivateFolder> folder =
        platform::files::PrivateFolder::make(kCopyPrefix);
    if (!folder) return nullptr;
    const FileStamp mainBefore = stampOf(databasePath);
    const FileStamp walBefore = stampOf(databasePath + "-wal");
    const std::string path = platform::joinPath(folder->path(), name);
    bool copied = copyDatabase(databasePath, path);
    bool steady =
        stampOf(databasePath) == mainBefore && stampOf(databasePath + "-wal") == walBefore;
    if (!copied) return nullptr;
    if (!steady && attempt < 2) continue;
    copy->folder_ = std::move(folder);
    copy->path_ = path;
    break;
  }
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(copy->path_.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW,
                           nullptr);
  copy->db_.reset(db);
  if (rc != SQLITE_OK) return nullptr;
  // Reading the schema proves the copy is a database and replays its WAL.
  if (execSql(db, "SELECT count(*) FROM sqlite_master") != SQLITE_OK) return nullptr;
  return copy;
}

SqliteCopy::~SqliteCopy() {
  db_.reset();  // closed before its folder goes
}

SqliteConnection openLiveDatabase(const std::string& path) {
  sqlite3* db = nullptr;
  int rc =
      sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr);
  SqliteConnection connection(db);
  if (rc != SQLITE_OK) return nullptr;
  return connection;
}

int execSql(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

bool hasTable(sqlite3* db, const std::string& table) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db,
                         "SELECT 1 FROM sqlite_master WHERE name = ?1 AND type IN ('table','view')",
                         -1, &stmt, nullptr) != SQLITE_OK)
    return false;
  sqlite3_bind_text(stmt, 1, table.c_str(), -1, SQLITE_TRANSIENT);
  bool found = sqlite3_step(stmt) == SQLITE_ROW;
  sqlite3_finalize(stmt);
  return found;
}

bool hasColumn(sqlite3* db, const std::string& table, const std::string& column) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT 1 FROM pragma_table_info(?1) WHERE name = ?2", -1, &stmt,
                         nullptr) != SQLITE_OK)
    return false;
  sqlite3_bind_text(stmt, 1, table.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(stmt, 2, column.c_str(), -1, SQLITE_TRANSIENT);
  bool found = sqlite3_step(stmt) == SQLITE_ROW;
  sqlite3_finalize(stmt);
  return found;
}

}  // namespace browsers
