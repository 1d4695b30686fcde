#include "platform/linux/history/linux_url_history.h"

#include <optional>
#include <unordered_set>

#include "browsers/formats/history_sql.h"
#include "browsers/formats/sqlite_copy.h"
#include "browsers/history/chromium_history.h"
#include "browsers/history/firefox_places.h"
#include "browsers/history/history_listing.h"
#include "browsers/history/history_records.h"
#include "browsers/history/profile_traces.h"
#include "browsers/history/visited_site_stores.h"

namespace platform::linux_os {

using browsers::history::HistorySource;

// One database opened for a change, its write transaction begun.
struct LinuxUrlHistory::Target {
  HistorySource source;
  browsers::SqliteConnection db;
  browsers::history::chromium::UrlSet bookmarks;
  std::vector<browsers::history::AttachedStore> stores;  // attached beside the history
  std::int64_t listedBefore = 0;
  bool firefox() const { return source.profile.family == browsers::BrowserFamily::Firefox; }
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

// Opens the database, sets the family's connection settings, attaches the
// stores beside it that also remember visited pages, and takes the write
// lock on all of them (BEGIN IMMEDIATE). Unknown: not a history database we
// know.
Opened openForChange(const HistorySource& source, browsers::SqliteConnection& db,
                     std::vector<browsers::history::AttachedStore>& stores,
                     std::vector<std::string>& skipped, std::string& error) {
  db = browsers::openLiveDatabase(source.databasePath);
  if (!db) {
    error = "the file cannot be opened";
    return Opened::Failed;
  }
  const bool firefox = source.profile.family == browsers::BrowserFamily::Firefox;
  int rc = firefox ? browsers::history::firefox::prepareConnection(db.get(), error)
                   : browsers::history::chromium::prepareConnection(db.get(), error);
  // Attached after secure_delete is set, so they take it over.
  if (rc == SQLITE_OK)
    stores = browsers::history::attachVisitedSiteStores(db.get(), source.profile, skipped);
  if (rc == SQLITE_OK) rc = browsers::run(db.get(), "BEGIN IMMEDIATE", error);
  if (browsers::isLockedCode(rc)) return Opened::Locked;
  if (rc != SQLITE_OK) return Opened::Failed;
  const bool known = firefox ? browsers::history::firefox::recognised(db.get())
                             : browsers::history::chromium::recognised(db.get());
  return known ? Opened::Ready : Opened::Unknown;
}

// The records the listing shows of this database now.
std::int64_t countListed(sqlite3* db, bool firefox) {
  browsers::Statement count(db, firefox ? "SELECT count(*) FROM moz_places WHERE last_visit_date "
                                          "IS NOT NULL"
                                        : "SELECT count(*) FROM urls WHERE last_visit_time != 0");
  return count.step() == SQLITE_ROW ? count.integer(0) : 0;
}

// The URLs a Firefox profile keeps through a clearing: its bookmarks and
// keywords.
std::unordered_set<std::string> keptPlaces(sqlite3* db) {
  std::unordered_set<std::string> urls;
  browsers::Statement query(db, "SELECT url FROM moz_places WHERE foreign_count > 0");
  while (query.step() == SQLITE_ROW) urls.insert(query.text(0));
  return urls;
}

}  // namespace

LinuxUrlHistory::LinuxUrlHistory(ProfileProvider profiles, RunningCheck running,
                                 RefusalProvider refused)
    : profiles_(std::move(profiles)), running_(std::move(running)), refused_(std::move(refused)) {}

HRESULT LinuxUrlHistory::fail(HRESULT code, std::string text) {
  lastError_ = std::move(text);
  return code;
}

HRESULT LinuxUrlHistory::AddUrl(const std::string&, const std::string&, std::uint32_t) {
  return fail(browsers::history::E_NOTIMPL,
              "Adding an address to a browser's history is not supported; the history was not "
              "changed.");
}

HRESULT LinuxUrlHistory::EnumUrls(std::unique_ptr<EnumSTATURL>& out) {
  std::vector<browsers::history::HistorySource> sources =
      browsers::history::historySources(profiles_());
  for (browsers::history::HistorySource& source : sources)
    source.browserRunning = running_(source.profile);
  out = std::make_unique<browsers::history::RecordEnum>(std::move(sources));
  return S_OK;
}

HRESULT LinuxUrlHistory::DeleteUrl(const std::string& url, std::uint32_t) {
  return DeleteUrls({url});
}

// Every URL in one transaction per database: one commit and one checkpoint,
// however many URLs go.
HRESULT LinuxUrlHistory::DeleteUrls(const std::vector<std::string>& urls) {
  return changeEverywhere(
      [&urls](Target& target, std::string& error) {
        sqlite3* db = target.db.get();
        const auto family = target.source.profile.family;
        for (std::size_t i = 0; i < urls.size(); ++i) {
          const std::string& url = urls[i];
          int rc = target.firefox()
                       ? browsers::history::firefox::deleteUrl(db, url, error)
                       : browsers::history::chromium::deleteUrl(db, url, target.bookmarks, error);
          if (rc == SQLITE_OK)
            rc = browsers::history::deleteFromVisitedSiteStores(
                db, family, target.stores, url, target.bookmarks.count(url) > 0, error);
          if (rc != SQLITE_OK) return rc;
        }
        return SQLITE_OK;
      },
      &urls);
}

HRESULT LinuxUrlHistory::ClearHistory() {
  return changeEverywhere(
      [](Target& target, std::string& error) {
        sqlite3* db = target.db.get();
        const int rc = target.firefox()
                           ? browsers::history::firefox::clearAll(db, error)
                           : browsers::history::chromium::clearAll(db, target.bookmarks, error);
        if (rc != SQLITE_OK) return rc;
        return browsers::history::clearVisitedSiteStores(db, target.source.profile.family,
                                                         target.stores, error);
      },
      nullptr);
}

// Every database is checked and locked before any is written; a failure
// anywhere leaves every profile as it was (the open transactions roll back
// when their connections close). urls: the URLs deleted, null to clear.
HRESULT LinuxUrlHistory::changeEverywhere(const Change& change,
                                          const std::vector<std::string>* urls) {
  outcome_ = {};
  const bool clearing = urls == nullptr;
  const std::unordered_set<std::string> going =
      urls ? std::unordered_set<std::string>(urls->begin(), urls->end())
           : std::unordered_set<std::string>();
  const std::vector<browsers::history::HistorySource> sources =
      browsers::history::historySources(profiles_());
  std::vector<std::string> busy;
  for (const HistorySource& source : sources)
    if (running_(source.profile)) busy.push_back(displayName(source.profile));
  auto refuse = [this, &busy] {
    for (const std::string& name : busy) outcome_.fail(name, name + " is running");
    return fail(browsers::history::E_SHARING_VIOLATION, closeBrowsersText(busy));
  };
  auto failAll = [this](HRESULT code, const std::string& item, std::string text) {
    outcome_.fail(item, text);
    return fail(code, std::move(text));
  };
  if (!busy.empty()) return refuse();

  // Steps: opening each database, changing it, and its other files.
  const auto total = static_cast<std::int64_t>(sources.size() * 3);
  std::int64_t done = 0;
  std::vector<Target> targets;
  std::vector<std::string> skipped;
  std::vector<std::string> heldByOthers, heldNames;
  for (const HistorySource& source : sources) {
    step(done++, total);
    Target target{source, nullptr, {}, {}, 0};
    std::string error;
    std::vector<std::string> notAttached;
    switch (openForChange(source, target.db, target.stores, notAttached, error)) {
      case Opened::Locked:
        // Locked while its browser does not run: another program holds it
        // (a second copy of this one clearing it, a sync or backup tool).
        if (running_(source.profile)) {
          busy.push_back(displayName(source.profile));
        } else {
          heldByOthers.push_back(source.databasePath);
          heldNames.push_back(displayName(source.profile));
        }
        continue;
      case Opened::Unknown:
        continue;
      case Opened::Failed:
        return failAll(E_FAIL, source.databasePath,
                       "The history of " + displayName(source.profile) + " cannot be changed (" +
                           error + "); nothing was changed.");
      case Opened::Ready:
        break;
    }
    for (const std::string& store : notAttached)
      skipped.push_back(displayName(source.profile) + ": " + store);
    if (!target.firefox()) {
      std::optional<browsers::history::chromium::UrlSet> bookmarks =
          browsers::history::chromium::readBookmarkUrls(source.profile.profileDir);
      if (!bookmarks)
        return failAll(E_FAIL, source.profile.profileDir + "/Bookmarks",
                       "The bookmarks of " + displayName(source.profile) +
                           " cannot be read, so its history was left alone; nothing was "
                           "changed.");
      target.bookmarks = std::move(*bookmarks);
    }
    target.listedBefore = countListed(target.db.get(), target.firefox());
    targets.push_back(std::move(target));
  }
  if (!busy.empty()) return refuse();
  if (!heldByOthers.empty())
    return failAll(browsers::history::E_SHARING_VIOLATION, heldByOthers.front(),
                   "The history of " + heldNames.front() +
                       " is in use by another program (another copy of Tracesweep may be "
                       "clearing it); nothing was changed.");

  for (Target& target : targets) {
    step(done++, total);
    std::string error;
    if (change(target, error) != SQLITE_OK)
      return failAll(E_FAIL, target.source.databasePath,
                     "The history of " + browsers::displayName(target.source.profile) +
                         " could not be changed (" + error + "); nothing was changed.");
  }
  for (Target& target : targets) {
    std::string error;
    if (browsers::run(target.db.get(), "COMMIT", error) != SQLITE_OK)
      return failAll(E_FAIL, target.source.databasePath,
                     "The history of " + browsers::displayName(target.source.profile) +
                         " could not be saved (" + error + ").");
    outcome_.removed += target.listedBefore - countListed(target.db.get(), target.firefox());
  }
  // The deleted rows must not survive in the WAL or in free pages. A failure
  // here leaves the change made; SQLite folds the WAL in when we close. Then
  // the files outside the databases that remember the same pages.
  for (Target& target : targets) {
    step(done++, total);
    std::string error;
    sqlite3* db = target.db.get();
    std::unordered_set<std::string> kept;
    if (target.firefox()) {
      browsers::history::firefox::afterCommit(db, error);
      kept = keptPlaces(db);
    } else {
      browsers::history::chromium::afterCommit(db, clearing, error);
      if (clearing) browsers::history::compactVisitedSiteStores(db, target.stores);
      kept.insert(target.bookmarks.begin(), target.bookmarks.end());
    }
    target.db.reset();
    browsers::history::KeepUrl keep = [&](const std::string& u) {
      return kept.count(u) > 0 || (urls && going.count(u) == 0);
    };
    browsers::history::clearProfileFiles(target.source.profile, keep, clearing, urls, outcome_);
  }
  step(total, total);
  for (const std::string& store : skipped) outcome_.fail(store, "it could not be opened");
  if (refused_)
    for (const ClearFailure& folder : refused_()) outcome_.fail(folder.item, folder.reason);
  if (!outcome_.ok()) {
    std::string text =
        "The history was cleared where it could be reached, but some of it, or of what the "
        "browsers keep of the visited sites, could not be removed or reached:";
    for (const ClearFailure& failure : outcome_.failures)
      text += "\n" + failure.item + ": " + failure.reason;
    return fail(E_FAIL, text);
  }
  lastError_.clear();
  return S_OK;
}

LinuxHistoryFactory::LinuxHistoryFactory()
    : LinuxHistoryFactory(browsers::findBrowserProfiles, browsers::browserRunning,
                          [] { return browsers::searchBrowserProfiles().refused; }) {}

LinuxHistoryFactory::LinuxHistoryFactory(ProfileProvider profiles, RunningCheck running,
                                         RefusalProvider refused)
    : profiles_(std::move(profiles)), running_(std::move(running)), refused_(std::move(refused)) {}

std::unique_ptr<UrlHistoryStg> LinuxHistoryFactory::create() {
  return std::make_unique<LinuxUrlHistory>(profiles_, running_, refused_);
}

}  // namespace platform::linux_os
