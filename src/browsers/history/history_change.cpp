#include "browsers/history/history_change.h"

#include <optional>
#include <unordered_set>

#include "browsers/formats/history_sql.h"
#include "browsers/formats/sqlite_copy.h"
#include "browsers/history/chromium_history.h"
#include "browsers/history/firefox_places.h"
#include "browsers/history/history_listing.h"
#include "browsers/history/profile_traces.h"
#include "browsers/history/visited_site_stores.h"
#include "platform/paths.h"

namespace browsers::history {

namespace {

// One database opened for a change, its write transaction begun.
struct Target {
  HistorySource source;
  browsers::SqliteConnection db;
  browsers::history::chromium::UrlSet bookmarks;
  std::vector<browsers::history::AttachedStore> stores;  // attached beside the history
  std::int64_t listedBefore = 0;
  bool firefox() const { return source.profile.family == browsers::BrowserFamily::Firefox; }
};

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

// Deletes the URLs from one locked database (all of its history when urls
// is null), inside its transaction.
int changeOne(Target& target, const UrlList* urls, std::string& error) {
  sqlite3* db = target.db.get();
  const BrowserFamily family = target.source.profile.family;
  if (!urls) {
    const int rc = target.firefox() ? firefox::clearAll(db, error)
                                    : chromium::clearAll(db, target.bookmarks, error);
    if (rc != SQLITE_OK) return rc;
    return clearVisitedSiteStores(db, family, target.stores, error);
  }
  for (const std::string& url : *urls) {
    int rc = target.firefox() ? firefox::deleteUrl(db, url, error)
                              : chromium::deleteUrl(db, url, target.bookmarks, error);
    if (rc == SQLITE_OK)
      rc = deleteFromVisitedSiteStores(db, family, target.stores, url,
                                       target.bookmarks.count(url) > 0, error);
    if (rc != SQLITE_OK) return rc;
  }
  return SQLITE_OK;
}

}  // namespace

// A failure anywhere before the commits leaves every profile as it was (the
// open transactions roll back when their connections close). Every URL goes
// in one transaction per database: one commit and one checkpoint.
HistoryChange changeHistories(const ProfileWatch& watch, const UrlList* urls,
                              const StepProgress& progress) {
  HistoryChange result;
  platform::ClearOutcome& outcome = result.outcome;
  auto step = [&progress](std::int64_t done, std::int64_t total) {
    if (progress) progress(done, total);
  };
  const bool clearing = urls == nullptr;
  const std::unordered_set<std::string> going =
      urls ? std::unordered_set<std::string>(urls->begin(), urls->end())
           : std::unordered_set<std::string>();
  const std::vector<HistorySource> sources = historySources(watch.profiles());
  std::vector<std::string> busy;
  for (const HistorySource& source : sources)
    if (watch.running(source.profile)) busy.push_back(displayName(source.profile));
  auto refuse = [&result, &busy] {
    for (const std::string& name : busy) result.outcome.fail(name, name + " is running");
    result.message = closeBrowsersText(busy);
    return result;
  };
  auto failAll = [&result](const std::string& item, std::string text) {
    result.outcome.fail(item, text);
    result.message = std::move(text);
    return result;
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
        if (watch.running(source.profile)) {
          busy.push_back(displayName(source.profile));
        } else {
          heldByOthers.push_back(source.databasePath);
          heldNames.push_back(displayName(source.profile));
        }
        continue;
      case Opened::Unknown:
        continue;
      case Opened::Failed:
        return failAll(source.databasePath, "The history of " + displayName(source.profile) +
                                                " cannot be changed (" + error +
                                                "); nothing was changed.");
      case Opened::Ready:
        break;
    }
    for (const std::string& store : notAttached)
      skipped.push_back(displayName(source.profile) + ": " + store);
    if (!target.firefox()) {
      std::optional<chromium::UrlSet> bookmarks =
          chromium::readBookmarkUrls(source.profile.profileDir);
      if (!bookmarks)
        return failAll(platform::pathBelow(source.profile.profileDir, "Bookmarks"),
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
    return failAll(heldByOthers.front(),
                   "The history of " + heldNames.front() +
                       " is in use by another program (another copy of Tracesweep may be "
                       "clearing it); nothing was changed.");

  for (Target& target : targets) {
    step(done++, total);
    std::string error;
    if (changeOne(target, urls, error) != SQLITE_OK)
      return failAll(target.source.databasePath,
                     "The history of " + displayName(target.source.profile) +
                         " could not be changed (" + error + "); nothing was changed.");
  }
  for (Target& target : targets) {
    std::string error;
    if (run(target.db.get(), "COMMIT", error) != SQLITE_OK)
      return failAll(target.source.databasePath, "The history of " +
                                                     displayName(target.source.profile) +
                                                     " could not be saved (" + error + ").");
    outcome.removed += target.listedBefore - countListed(target.db.get(), target.firefox());
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
      firefox::afterCommit(db, error);
      kept = keptPlaces(db);
    } else {
      chromium::afterCommit(db, clearing, error);
      if (clearing) compactVisitedSiteStores(db, target.stores);
      kept.insert(target.bookmarks.begin(), target.bookmarks.end());
    }
    target.db.reset();
    KeepUrl keep = [&](const std::string& u) {
      return kept.count(u) > 0 || (urls && going.count(u) == 0);
    };
    clearProfileFiles(target.source.profile, keep, clearing, urls, outcome);
  }
  step(total, total);
  for (const std::string& store : skipped) outcome.fail(store, "it could not be opened");
  if (watch.refused)
    for (const platform::ClearFailure& folder : watch.refused())
      outcome.fail(folder.item, folder.reason);
  if (!outcome.ok()) {
    result.message =
        "The history was cleared where it could be reached, but some of it, or of what the "
        "browsers keep of the visited sites, could not be removed or reached:";
    for (const platform::ClearFailure& failure : outcome.failures)
      result.message += "\n" + failure.item + ": " + failure.reason;
  }
  return result;
}

}  // namespace browsers::history
