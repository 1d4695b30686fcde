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

// Changes one profile's databases together, in one transaction: a failure
// before the commit leaves the profile as it was (the transaction rolls back
// when the connection closes). Every URL goes in one transaction: one commit
// and one checkpoint. "" when it was changed; else why not, for its failure.
std::string changeProfile(const HistorySource& source, const ProfileWatch& watch,
                          const UrlList* urls, const std::function<void()>& step,
                          platform::ClearOutcome& outcome) {
  const std::string name = displayName(source.profile);
  Target target{source, nullptr, {}, {}, 0};
  std::string error;
  std::vector<std::string> notAttached;
  step();
  switch (openForChange(source, target.db, target.stores, notAttached, error)) {
    case Opened::Locked:
      // Locked while its browser does not run: another program holds it
      // (a second copy of this one clearing it, a sync or backup tool).
      if (watch.running(source.profile)) return closeBrowserText(name);
      return "The history of " + name +
             " is in use by another program (another copy of Tracesweep may be clearing it); "
             "it was not changed.";
    case Opened::Unknown:
      return {};
    case Opened::Failed:
      return "The history of " + name + " cannot be changed (" + error + "); it was not changed.";
    case Opened::Ready:
      break;
  }
  if (!target.firefox()) {
    std::optional<chromium::UrlSet> bookmarks =
        chromium::readBookmarkUrls(source.profile.profileDir);
    if (!bookmarks)
      return "The bookmarks of " + name +
             " cannot be read, so its history was left alone; it was not changed.";
    target.bookmarks = std::move(*bookmarks);
  }
  target.listedBefore = countListed(target.db.get(), target.firefox());
  step();
  if (changeOne(target, urls, error) != SQLITE_OK)
    return "The history of " + name + " could not be changed (" + error + "); it was not changed.";
  if (run(target.db.get(), "COMMIT", error) != SQLITE_OK)
    return "The history of " + name + " could not be saved (" + error + ").";
  outcome.removed += target.listedBefore - countListed(target.db.get(), target.firefox());
  for (const std::string& store : notAttached)
    outcome.fail(name + ": " + store, "it could not be opened");

  // The deleted rows must not survive in the WAL or in free pages. A failure
  // here leaves the change made; SQLite folds the WAL in when we close. Then
  // the files outside the databases that remember the same pages.
  step();
  const bool clearing = urls == nullptr;
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
  const std::unordered_set<std::string> going =
      urls ? std::unordered_set<std::string>(urls->begin(), urls->end())
           : std::unordered_set<std::string>();
  KeepUrl keep = [&](const std::string& u) {
    return kept.count(u) > 0 || (urls && going.count(u) == 0);
  };
  clearProfileFiles(source.profile, keep, clearing, urls, outcome);
  return {};
}

}  // namespace

std::string closeBrowserText(const std::string& name) {
  return "Please close " + name + " and try again: the history of a browser cannot be changed " +
         "while the browser is open, so its history was left as it was.";
}

HistoryChange changeHistories(const ProfileWatch& watch, const UrlList* urls,
                              const StepProgress& progress) {
  HistoryChange result;
  platform::ClearOutcome& outcome = result.outcome;
  const std::vector<HistorySource> sources = historySources(watch.profiles());
  // Steps: opening each database, changing it, and its other files.
  const auto total = static_cast<std::int64_t>(sources.size() * 3);
  std::int64_t done = 0;
  auto step = [&progress, &done, total] {
    if (progress) progress(done, total);
    ++done;
  };
  for (const HistorySource& source : sources) {
    const std::int64_t first = done;
    const std::string left = watch.running(source.profile)
                                 ? closeBrowserText(displayName(source.profile))
                                 : changeProfile(source, watch, urls, step, outcome);
    done = first + 3;
    if (left.empty()) continue;
    outcome.fail(displayName(source.profile), left);
  }
  if (progress) progress(total, total);
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
