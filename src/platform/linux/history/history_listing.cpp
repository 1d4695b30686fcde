#include "platform/linux/history/history_listing.h"

#include <sys/stat.h>

#include "platform/linux/common/sqlite_copy.h"
#include "platform/linux/history/chromium_history.h"
#include "platform/linux/history/firefox_places.h"
#include "platform/linux/history/history_sql.h"

namespace platform::linux_os::history {

namespace {

bool isRegularFile(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

int readRecords(BrowserFamily family, sqlite3* db, std::vector<STATURL>& out) {
  // Reading through a memory map spares a copy of every page.
  sqlite3_exec(db, "PRAGMA mmap_size = 268435456", nullptr, nullptr, nullptr);
  if (family == BrowserFamily::Firefox)
    return firefox::recognised(db) ? firefox::readRecords(db, out) : SQLITE_OK;
  return chromium::recognised(db) ? chromium::readRecords(db, out) : SQLITE_OK;
}

void append(std::vector<STATURL>& out, std::vector<STATURL>& records) {
  if (out.empty()) {
    out.swap(records);
    return;
  }
  out.insert(out.end(), std::make_move_iterator(records.begin()),
             std::make_move_iterator(records.end()));
}

}  // namespace

std::vector<HistorySource> historySources(const std::vector<BrowserProfile>& profiles) {
  std::vector<HistorySource> sources;
  for (const BrowserProfile& profile : profiles) {
    const char* name =
        profile.family == BrowserFamily::Firefox ? firefox::kFileName : chromium::kFileName;
    std::string path = profile.profileDir + "/" + name;
    if (isRegularFile(path)) sources.push_back({profile, std::move(path)});
  }
  return sources;
}

bool readSource(const HistorySource& source, bool browserRunning, std::vector<STATURL>& out) {
  const BrowserFamily family = source.profile.family;
  std::vector<STATURL> records;
  // A WAL left beside a closed browser's database would make even a reader
  // write beside it: such a database is read through a copy as well.
  if (!browserRunning && !exists(source.databasePath + "-wal")) {
    // Read-write, but read only: a read-only connection to a WAL database
    // would leave an empty -wal and -shm beside it, which the last read-write
    // connection removes when it closes.
    SqliteConnection db = openLiveDatabase(source.databasePath);
    if (db &&
        sqlite3_exec(db.get(), "PRAGMA query_only = 1", nullptr, nullptr, nullptr) == SQLITE_OK) {
      // One read transaction for the whole listing: a lock shows at once as
      // SQLITE_BUSY, and the schema checks and the rows see one state.
      int probe = sqlite3_exec(db.get(), "BEGIN; SELECT count(*) FROM sqlite_master", nullptr,
                               nullptr, nullptr);
      int rc = probe == SQLITE_OK ? readRecords(family, db.get(), records) : probe;
      if (rc == SQLITE_OK) {
        append(out, records);
        return true;
      }
      if (!isLockedCode(rc)) return false;
      records.clear();
    }
  }
  auto copy = SqliteCopy::open(source.databasePath);
  if (!copy) return false;
  if (readRecords(family, copy->db(), records) != SQLITE_OK) return false;
  append(out, records);
  return true;
}

HRESULT RecordEnum::SetFilter(const std::string* prefix, std::uint32_t flags) {
  prefix_ = prefix ? *prefix : std::string();
  flags_ = flags;
  return S_OK;
}

HRESULT RecordEnum::Next(STATURL& out, std::uint32_t& fetched) {
  fetched = 0;
  while (next_ < records_.size()) {
    STATURL& record = records_[next_++];
    if (record.url.compare(0, prefix_.size(), prefix_) != 0) continue;
    if ((record.dwFlags & flags_) != flags_) continue;
    out = std::move(record);
    fetched = 1;
    return S_OK;
  }
  return S_FALSE;
}

}  // namespace platform::linux_os::history
