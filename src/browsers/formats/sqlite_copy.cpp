#include "browsers/formats/sqlite_copy.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <string_view>
#include <vector>

#include "platform/linux/common/posix_fd.h"
#include "platform/linux/common/posix_files.h"

namespace browsers {

namespace {

std::string tempBase() {
  const char* tmp = std::getenv("TMPDIR");
  struct stat st {};
  if (tmp && tmp[0] == '/' && stat(tmp, &st) == 0 && S_ISDIR(st.st_mode)) return tmp;
  return "/tmp";
}

enum class CopyResult { Copied, Missing, Failed };

// Copies one regular file (never through a link) to a new file of ours.
CopyResult copyFile(const std::string& from, const std::string& to) {
  platform::linux_os::UniqueFd in(
      ::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
  if (!in.valid()) return errno == ENOENT ? CopyResult::Missing : CopyResult::Failed;
  struct stat st {};
  if (fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) return CopyResult::Failed;
  platform::linux_os::UniqueFd out(
      ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!out.valid()) return CopyResult::Failed;
  std::vector<char> buffer(1 << 20);
  for (;;) {
    ssize_t n = read(in.get(), buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return CopyResult::Failed;
    if (n == 0) break;
    if (!platform::linux_os::writeAll(out.get(),
                                      std::string_view(buffer.data(), static_cast<std::size_t>(n))))
      return CopyResult::Failed;
  }
  return CopyResult::Copied;
}

struct FileStamp {
  bool present = false;
  off_t size = 0;
  timespec mtime{};
  bool operator==(const FileStamp& o) const {
    return present == o.present && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
           mtime.tv_nsec == o.mtime.tv_nsec;
  }
};

FileStamp stampOf(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return {};
  return {true, st.st_size, st.st_mtim};
}

std::string baseName(const std::string& path) {
  std::string name = platform::fileNameOf(path);
  return name.empty() ? std::string("db") : name;
}

// Copies the database and its journals; false when the main file could not be
// copied. Journals that are absent are simply not there in the copy.
bool copyDatabase(const std::string& from, const std::string& to) {
  if (copyFile(from, to) != CopyResult::Copied) return false;
  for (const char* suffix : {"-wal", "-journal"})
    if (copyFile(from + suffix, to + suffix) == CopyResult::Failed) return false;
  return true;
}

constexpr const char* kCopyPrefix = "tracesweep-db-";

// Removes one of our copy folders: its plain files, then the folder.
void removeCopyFolder(const std::string& folder) {
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      const std::string path = folder + "/" + entry->d_name;
      struct stat st {};
      if (lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) unlink(path.c_str());
    }
    closedir(dir);
  }
  rmdir(folder.c_str());
}

// Copies that a process could not remove (it crashed) still hold cookies or
// history: remove our own ones that are more than an hour old.
void removeStaleCopies(const std::string& base) {
  DIR* dir = opendir(base.c_str());
  if (!dir) return;
  const std::time_t staleBefore = std::time(nullptr) - 3600;
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.rfind(kCopyPrefix, 0) != 0) continue;
    const std::string folder = base + "/" + name;
    struct stat st {};
    if (lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid() &&
        st.st_mtime < staleBefore)
      removeCopyFolder(folder);
  }
  closedir(dir);
}

}  // namespace

std::unique_ptr<SqliteCopy> SqliteCopy::open(const std::string& databasePath) {
  std::unique_ptr<SqliteCopy> copy(new SqliteCopy());
  const std::string name = baseName(databasePath);
  const std::string base = tempBase();
  removeStaleCopies(base);
  // A browser that writes while we copy can leave the main file and its WAL
  // out of step: copy again while the live files keep changing under us.
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::string folder = base + "/" + kCopyPrefix + "XXXXXX";
    if (!mkdtemp(folder.data())) return nullptr;
    const FileStamp mainBefore = stampOf(databasePath);
    const FileStamp walBefore = stampOf(databasePath + "-wal");
    const std::string path = folder + "/" + name;
    bool copied = copyDatabase(databasePath, path);
    bool steady =
        stampOf(databasePath) == mainBefore && stampOf(databasePath + "-wal") == walBefore;
    if (!copied || (!steady && attempt < 2)) {
      removeCopyFolder(folder);
      if (!copied) return nullptr;
      continue;
    }
    copy->folder_ = folder;
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
  db_.reset();
  if (!folder_.empty()) removeCopyFolder(folder_);
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
