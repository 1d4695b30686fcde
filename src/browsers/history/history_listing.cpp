#include "browsers/history/history_listing.h"

#include "browsers/history/chromium_history.h"
#include "browsers/history/firefox_places.h"
#include "platform/file_access.h"
#include "platform/paths.h"

namespace browsers::history {

namespace {

bool exists(const std::string& path) {
  return platform::files::infoOf(path).has_value();
}

}  // namespace

std::vector<HistorySource> historySources(const std::vector<BrowserProfile>& profiles) {
  std::vector<HistorySource> sources;
  for (const BrowserProfile& profile : profiles) {
    const char* name =
        profile.family == BrowserFamily::Firefox ? firefox::kFileName : chromium::kFileName;
    std::string path = platform::pathBelow(profile.profileDir, name);
    if (platform::files::isRegularFile(path)) sources.push_back({profile, std::move(path), false});
  }
  return sources;
}

std::unique_ptr<SourceCursor> SourceCursor::open(const HistorySource& source) {
  std::unique_ptr<SourceCursor> cursor(new SourceCursor());
  cursor->family_ = source.profile.family;
  cursor->browser_ = displayName(source.profile);
  // A WAL left beside a closed browser's database (after a crash) is read
  // through a copy as well, so that nothing of ours lands beside it.
  if (!source.browserRunning && !exists(source.databasePath + "-wal")) {
    // Read-write, but read only: a read-only connection to a WAL database
    // would leave an empty -wal and -shm beside it, which the last read-write
    // connection removes when it closes.
    cursor->live_ = openLiveDatabase(source.databasePath);
    sqlite3* db = cursor->live_.get();
    // One read transaction for the whole listing: a lock shows at once as
    // SQLITE_BUSY, and the schema checks and the rows see one state.
    int rc =
        db ? sqlite3_exec(db, "PRAGMA query_only = 1; BEGIN; SELECT count(*) FROM sqlite_master",
                          nullptr, nullptr, nullptr)
           : SQLITE_CANTOPEN;
    if (rc == SQLITE_OK) return cursor->prepare(db) ? std::move(cursor) : nullptr;
    cursor->live_.reset();
    if (db && !isLockedCode(rc)) return nullptr;
  }
  cursor->copy_ = SqliteCopy::open(source.databasePath);
  if (!cursor->copy_ || !cursor->prepare(cursor->copy_->db())) return nullptr;
  return cursor;
}

bool SourceCursor::prepare(sqlite3* db) {
  const bool firefox = family_ == BrowserFamily::Firefox;
  if (!(firefox ? firefox::recognised(db) : chromium::recognised(db))) return true;
  // Reading through a memory map spares a copy of every page.
  sqlite3_exec(db, "PRAGMA mmap_size = 268435456", nullptr, nullptr, nullptr);
  query_ = std::make_unique<Statement>(db, firefox ? firefox::kListSql : chromium::kListSql);
  return query_->ok();
}

bool SourceCursor::next(core::HistoryEntry& out) {
  if (!query_ || query_->step() != SQLITE_ROW) {
    query_.reset();
    return false;
  }
  if (family_ == BrowserFamily::Firefox)
    firefox::recordFromRow(*query_, out);
  else
    chromium::recordFromRow(*query_, out);
  out.browser = browser_;
  return true;
}

}  // namespace browsers::history
