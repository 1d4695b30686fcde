#include "platform/linux/history/linux_url_history.h"

#include <optional>

#include "platform/linux/common/sqlite_copy.h"
#include "platform/linux/history/chromium_history.h"
#include "platform/linux/history/firefox_places.h"
#include "platform/linux/history/history_listing.h"
#include "platform/linux/history/history_records.h"
#include "platform/linux/history/history_sql.h"

namespace platform::linux_os {

using history::HistorySource;

// One database opened for a change, its write transaction begun.
struct LinuxUrlHistory::Target {
  HistorySource source;
  SqliteConnection db;
  history::chromium::UrlSet bookmarks;
  bool firefox() const { return source.profile.family == BrowserFamily::Firefox; }
};

namespace {

std::string joinNames(const std::vector<std::string>& names) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
    text += names[i];
  }
  return text;
}

std::string closeBrowsersText(const std::vector<std::string>& names) {
  return "Please close " + joinNames(names) + " and try again. The history of a browser " +
         "cannot be changed while the browser is open; nothing was changed.";
}

enum class Opened { Ready, Locked, Unknown, Failed };

// Opens the database, sets the family's connection settings and takes the
// write lock (BEGIN IMMEDIATE). Unknown: not a history database we know.
Opened openForChange(const HistorySource& source, SqliteConnection& db, std::string& error) {
  db = openLiveDatabase(source.databasePath);
  if (!db) {
    error = "the file cannot be opened";
    return Opened::Failed;
  }
  const bool firefox = source.profile.family == BrowserFamily::Firefox;
  int rc = firefox ? history::firefox::prepareConnection(db.get(), error)
                   : history::chromium::prepareConnection(db.get(), error);
  if (rc == SQLITE_OK) rc = history::run(db.get(), "BEGIN IMMEDIATE", error);
  if (history::isLockedCode(rc)) return Opened::Locked;
  if (rc != SQLITE_OK) return Opened::Failed;
  const bool known =
      firefox ? history::firefox::recognised(db.get()) : history::chromium::recognised(db.get());
  return known ? Opened::Ready : Opened::Unknown;
}

}  // namespace

LinuxUrlHistory::LinuxUrlHistory(ProfileProvider profiles, RunningCheck running)
    : profiles_(std::move(profiles)), running_(std::move(running)) {}

HRESULT LinuxUrlHistory::fail(HRESULT code, std::string text) {
  lastError_ = std::move(text);
  return code;
}

HRESULT LinuxUrlHistory::AddUrl(const std::string&, const std::string&, std::uint32_t) {
  return fail(history::E_NOTIMPL,
              "Adding an address to a browser's history is not supported; the history was not "
              "changed.");
}

HRESULT LinuxUrlHistory::EnumUrls(std::unique_ptr<EnumSTATURL>& out) {
  std::vector<HistorySource> sources = history::historySources(profiles_());
  for (HistorySource& source : sources) source.browserRunning = running_(source.profile);
  out = std::make_unique<history::RecordEnum>(std::move(sources));
  return S_OK;
}

HRESULT LinuxUrlHistory::DeleteUrl(const std::string& url, std::uint32_t) {
  return changeEverywhere(
      [&url](Target& target, std::string& error) {
        return target.firefox()
                   ? history::firefox::deleteUrl(target.db.get(), url, error)
                   : history::chromium::deleteUrl(target.db.get(), url, target.bookmarks, error);
      },
      false);
}

HRESULT LinuxUrlHistory::ClearHistory() {
  return changeEverywhere(
      [](Target& target, std::string& error) {
        return target.firefox()
                   ? history::firefox::clearAll(target.db.get(), error)
                   : history::chromium::clearAll(target.db.get(), target.bookmarks, error);
      },
      true);
}

// Every database is checked and locked before any is written; a failure
// anywhere leaves every profile as it was (the open transactions roll back
// when their connections close).
HRESULT LinuxUrlHistory::changeEverywhere(const Change& change, bool clearing) {
  const std::vector<HistorySource> sources = history::historySources(profiles_());
  std::vector<std::string> busy;
  for (const HistorySource& source : sources)
    if (running_(source.profile)) busy.push_back(displayName(source.profile));
  if (!busy.empty()) return fail(history::E_SHARING_VIOLATION, closeBrowsersText(busy));

  std::vector<Target> targets;
  for (const HistorySource& source : sources) {
    Target target{source, nullptr, {}};
    std::string error;
    switch (openForChange(source, target.db, error)) {
      case Opened::Locked:
        busy.push_back(displayName(source.profile));
        continue;
      case Opened::Unknown:
        continue;
      case Opened::Failed:
        return fail(E_FAIL, "The history of " + displayName(source.profile) +
                                " cannot be changed (" + error + "); nothing was changed.");
      case Opened::Ready:
        break;
    }
    if (!target.firefox()) {
      std::optional<history::chromium::UrlSet> bookmarks =
          history::chromium::readBookmarkUrls(source.profile.profileDir);
      if (!bookmarks)
        return fail(E_FAIL, "The bookmarks of " + displayName(source.profile) +
                                " cannot be read, so its history was left alone; nothing was "
                                "changed.");
      target.bookmarks = std::move(*bookmarks);
    }
    targets.push_back(std::move(target));
  }
  if (!busy.empty()) return fail(history::E_SHARING_VIOLATION, closeBrowsersText(busy));

  for (Target& target : targets) {
    std::string error;
    if (change(target, error) != SQLITE_OK)
      return fail(E_FAIL, "The history of " + displayName(target.source.profile) +
                              " could not be changed (" + error + "); nothing was changed.");
  }
  for (Target& target : targets) {
    std::string error;
    if (history::run(target.db.get(), "COMMIT", error) != SQLITE_OK)
      return fail(E_FAIL, "The history of " + displayName(target.source.profile) +
                              " could not be saved (" + error + ").");
  }
  // The deleted rows must not survive in the WAL or in free pages. A failure
  // here leaves the change made; SQLite folds the WAL in when we close.
  for (Target& target : targets) {
    std::string error;
    if (target.firefox())
      history::firefox::afterCommit(target.db.get(), error);
    else
      history::chromium::afterCommit(target.db.get(), clearing, error);
  }
  lastError_.clear();
  return S_OK;
}

LinuxHistoryFactory::LinuxHistoryFactory()
    : LinuxHistoryFactory(findBrowserProfiles, browserRunning) {}

LinuxHistoryFactory::LinuxHistoryFactory(ProfileProvider profiles, RunningCheck running)
    : profiles_(std::move(profiles)), running_(std::move(running)) {}

std::unique_ptr<UrlHistoryStg> LinuxHistoryFactory::create() {
  return std::make_unique<LinuxUrlHistory>(profiles_, running_);
}

}  // namespace platform::linux_os
