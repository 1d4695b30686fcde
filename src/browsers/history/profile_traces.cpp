#include "browsers/history/profile_traces.h"

#include <ctime>
#include <nlohmann/json.hpp>
#include <optional>
#include <unordered_set>

#include "browsers/formats/history_sql.h"
#include "browsers/formats/moz_lz4.h"
#include "browsers/formats/sqlite_copy.h"
#include "browsers/history/profile_files.h"
#include "platform/file_access.h"
#include "platform/paths.h"

namespace browsers::history {

namespace {

using Json = nlohmann::ordered_json;

void remove(const std::string& path, platform::ClearOutcome& outcome) {
  std::string error;
  if (!removeProfileFile(path, error)) outcome.fail(path, error);
}

// Chromium's shared store of small feature databases (a LevelDB) holds the
// download records beside the History tables. Deleted records stay in a
// LevelDB's logs and tables, so the store goes whole; the browser makes a new
// one at its next start.
void removeSharedProtoStore(const BrowserProfile& profile, platform::ClearOutcome& outcome) {
  const platform::files::OpenFolder folder = platform::files::OpenFolder::open(profile.profileDir);
  if (!folder.info("shared_proto_db")) return;
  const platform::files::TreeRemoval removal = folder.removeTree("shared_proto_db");
  if (!removal.gone())
    outcome.fail(removal.failedPath.empty()
                     ? platform::pathBelow(profile.profileDir, "shared_proto_db")
                     : removal.failedPath,
                 "it could not be removed (" + platform::files::errorWords(removal.error) + ")");
}

// A rewrite that failed leaves the file as it was: what it keeps (the open
// windows, the pinned tabs, the settings) is never traded for a deletion.
void rewrite(const std::string& path, const std::optional<std::string>& content,
             platform::ClearOutcome& outcome) {
  std::string error = "it could not be compressed";
  const ReplaceResult result =
      content ? replaceProfileFile(path, *content, error) : ReplaceResult::Kept;
  if (result == ReplaceResult::Kept)
    outcome.fail(path,
                 "not cleared: it could not be rewritten (" + error + "); it was left as it was");
  else if (result == ReplaceResult::NotFlushed)
    outcome.fail(path, "rewritten, but the change may not have reached the disk (" + error + ")");
}

void clearFirefoxSessions(const BrowserProfile& profile, const KeepUrl& keep, bool clearing,
                          platform::ClearOutcome& outcome) {
  for (const std::string& path : firefoxSessionFiles(profile.profileDir)) {
    std::string bytes;
    if (readProfileFile(path, bytes) != FileRead::Read) {
      outcome.fail(path, "the session file cannot be read");
      continue;
    }
    const auto json = decompressMozLz4(bytes);
    SessionPrune prune;
    prune.result = SessionPrune::Result::Unreadable;
    if (json) prune = pruneFirefoxSession(*json, keep, clearing);
    if (prune.result == SessionPrune::Result::Unchanged) continue;
    if (prune.result == SessionPrune::Result::Changed) {
      rewrite(path, compressMozLz4(prune.json), outcome);
      continue;
    }
    // Not understood (damaged): nothing in it can be kept, so it goes whole.
    remove(path, outcome);
  }
}

bool isChromiumSessionFile(const std::string& name) {
  for (const char* prefix : {"Session_", "Tabs_", "Apps_", "Window_"})
    if (name.starts_with(prefix)) return true;
  return false;
}

void clearChromiumSessions(const BrowserProfile& profile, bool clearing, const UrlList* urls,
                           platform::ClearOutcome& outcome) {
  std::vector<std::string> files;
  for (const char* folder : {"Sessions", "Sessions_Encrypted"}) {
    const std::string dir = platform::pathBelow(profile.profileDir, folder);
    for (const std::string& name : filesIn(dir))
      if (isChromiumSessionFile(name)) files.push_back(platform::pathBelow(dir, name));
  }
  for (const char* legacy : {"Current Session", "Current Tabs", "Last Session", "Last Tabs"}) {
    const std::string path = platform::pathBelow(profile.profileDir, legacy);
    std::string ignored;
    if (readProfileFile(path, ignored, 1) != FileRead::Missing) files.push_back(path);
  }
  bool holds = clearing;
  // An encrypted session cannot be searched: it goes with the plain one that
  // holds the page, since both record the same windows.
  for (std::size_t i = 0; !holds && urls && i < files.size(); ++i) {
    std::string bytes;
    if (readProfileFile(files[i], bytes) != FileRead::Read) continue;
    for (const std::string& url : *urls) holds = holds || holdsText(bytes, url);
  }
  if (!holds) return;
  for (const std::string& path : files) remove(path, outcome);
}

// Drops the engagement entries of the sites that go from Preferences.
void clearEngagement(const BrowserProfile& profile, bool clearing, const UrlList* urls,
                     platform::ClearOutcome& outcome) {
  const std::string path = platform::pathBelow(profile.profileDir, "Preferences");
  std::string text;
  const FileRead read = readProfileFile(path, text);
  if (read == FileRead::Missing) return;
  if (read == FileRead::Failed) {
    outcome.fail(path, "the preferences cannot be read");
    return;
  }
  std::unordered_set<std::string> origins;
  if (urls)
    for (const std::string& url : *urls) origins.insert(settingsOrigin(url));
  origins.erase(std::string());
  try {
    Json prefs = Json::parse(text);
    Json* exceptions = nullptr;
    if (prefs.is_object() && prefs.contains("profile") && prefs["profile"].is_object() &&
        prefs["profile"].contains("content_settings") &&
        prefs["profile"]["content_settings"].is_object() &&
        prefs["profile"]["content_settings"].contains("exceptions"))
      exceptions = &prefs["profile"]["content_settings"]["exceptions"];
    if (!exceptions || !exceptions->is_object()) return;
    bool changed = false;
    for (const char* setting : {"site_engagement", "media_engagement"}) {
      if (!exceptions->contains(setting) || !(*exceptions)[setting].is_object()) continue;
      Json& sites = (*exceptions)[setting];
      for (auto it = sites.begin(); it != sites.end();) {
        const std::string& pattern = it.key();
        const std::string primary = pattern.substr(0, pattern.find(','));
        const bool web = primary.starts_with("http://") || primary.starts_with("https://");
        if (web && (clearing || origins.count(primary) > 0)) {
          it = sites.erase(it);
          changed = true;
        } else {
          ++it;
        }
      }
    }
    if (!changed) return;
    rewrite(path, prefs.dump(-1, ' ', false, Json::error_handler_t::replace), outcome);
  } catch (const std::exception&) {
    outcome.fail(path, "the preferences are not readable JSON; they were left as they are");
  }
}

// The URL-keyed metrics of the segmentation platform, kept once for every
// profile of the user-data folder: the pages that go are taken out of it.
void clearUkm(const BrowserProfile& profile, const KeepUrl& keep, platform::ClearOutcome& outcome) {
  if (profile.userDataDir.empty()) return;
  const std::string path = platform::pathBelow(profile.userDataDir, "segmentation_platform/ukm_db");
  std::string probe;
  if (readProfileFile(path, probe, 0) == FileRead::Missing) return;
  SqliteConnection db = openLiveDatabase(path);
  std::string error;
  if (!db || !hasTable(db.get(), "urls") || !hasColumn(db.get(), "urls", "url")) return;
  std::vector<std::string> gone;
  {
    Statement query(db.get(), "SELECT url FROM urls");
    while (query.step() == SQLITE_ROW)
      if (std::string url = query.text(0); !keep(url)) gone.push_back(std::move(url));
  }
  if (gone.empty()) return;
  int rc = runAll(db.get(), {"PRAGMA secure_delete = ON", "BEGIN IMMEDIATE"}, error);
  Statement remove(db.get(), "DELETE FROM urls WHERE url = ?1");
  for (std::size_t i = 0; rc == SQLITE_OK && i < gone.size(); ++i) {
    remove.bind(1, gone[i]);
    rc = remove.step() == SQLITE_DONE ? SQLITE_OK : SQLITE_ERROR;
    remove.reset();
  }
  if (rc == SQLITE_OK && hasTable(db.get(), "metrics") && hasColumn(db.get(), "metrics", "url_id"))
    rc = run(db.get(), "DELETE FROM metrics WHERE url_id NOT IN (SELECT url_id FROM urls)", error);
  if (rc == SQLITE_OK) rc = run(db.get(), "COMMIT", error);
  if (rc != SQLITE_OK) {
    outcome.fail(path, error.empty() ? sqlite3_errmsg(db.get()) : error);
    return;
  }
  run(db.get(), "PRAGMA wal_checkpoint(TRUNCATE)", error);
}

}  // namespace

std::string settingsOrigin(const std::string& url) {
  std::string scheme;
  std::string rest;
  if (url.starts_with("http://")) {
    scheme = "http";
    rest = url.substr(7);
  } else if (url.starts_with("https://")) {
    scheme = "https";
    rest = url.substr(8);
  } else {
    return {};
  }
  std::string host = rest.substr(0, rest.find_first_of("/?#"));
  if (const auto at = host.rfind('@'); at != std::string::npos) host.erase(0, at + 1);
  if (host.empty()) return {};
  const auto bracket = host.rfind(']');
  const auto colon = host.rfind(':');
  if (colon != std::string::npos && (bracket == std::string::npos || colon > bracket))
    return scheme + "://" + host;
  return scheme + "://" + host + (scheme == "http" ? ":80" : ":443");
}

void clearProfileFiles(const BrowserProfile& profile, const KeepUrl& keep, bool clearing,
                       const UrlList* urls, platform::ClearOutcome& outcome) {
  // What an earlier run's rewrite left when it was cut short; this run's own
  // temporaries are all newer.
  timespec started{};
  clock_gettime(CLOCK_REALTIME, &started);
  removeStaleProfileTemporaries(profile.profileDir, started);
  if (profile.family == BrowserFamily::Firefox) {
    removeStaleProfileTemporaries(platform::pathBelow(profile.profileDir, "sessionstore-backups"),
                                  started);
    clearFirefoxSessions(profile, keep, clearing, outcome);
    return;
  }
  clearChromiumSessions(profile, clearing, urls, outcome);
  if (clearing) {
    remove(platform::pathBelow(profile.profileDir, "Visited Links"), outcome);
    removeSharedProtoStore(profile, outcome);
  }
  clearEngagement(profile, clearing, urls, outcome);
  clearUkm(profile, keep, outcome);
}

}  // namespace browsers::history
