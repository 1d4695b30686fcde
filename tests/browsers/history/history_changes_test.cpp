// Deleting one URL and clearing: every other row stays, bookmarks survive,
// the databases stay sound, and a running or locking browser leaves its own
// profile alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "browsers/history/history_change.h"
#include "browsers/history/profile_history_source.h"
#include "core/history_area.h"
#include "fake_home.h"
#include "history_fixtures.h"
#include "temp_dir.h"

namespace {

using namespace historytest;
using browsers::BrowserProfile;
using browsers::history::changeHistories;
using browsers::history::HistoryChange;

constexpr std::int64_t kVisit = 1767323045678901;         // since 1970
constexpr std::int64_t kChromeVisit = 13395844800000000;  // since 1601

class HistoryChanges : public ::testing::Test {
 protected:
  void makeFirefox(FirefoxSchema schema) {
    createFirefoxPlaces(ffPath(), schema);
    Db db(ffPath());
    keptPlace = addFirefoxPlace(db, "https://keep.example/", "Keep", kVisit);
    victimPlace = addFirefoxPlace(db, "https://victim.example/", "Victim", kVisit + 1);
    bookmarkedPlace = addFirefoxPlace(db, "https://bookmarked.example/", "Fav", kVisit + 2);
    bookmarkFirefoxPlace(db, bookmarkedPlace);
    db.exec("INSERT INTO moz_inputhistory VALUES (" + std::to_string(victimPlace) + ", 'vic', 1)");
    if (schema == FirefoxSchema::Current) {
      db.exec("INSERT INTO moz_places_metadata_search_queries(id, terms) VALUES (7, 'secret')");
      db.exec(
          "INSERT INTO moz_places_metadata(place_id, referrer_place_id, created_at, "
          "search_query_id) VALUES (" +
          std::to_string(victimPlace) + ", " + std::to_string(keptPlace) + ", 1, 7)");
      db.exec("INSERT INTO moz_places_extra(place_id, sync_json) VALUES (" +
              std::to_string(victimPlace) + ", '{}')");
    }
    profiles.push_back(firefoxProfile(ffDir));
  }

  void makeChromium() {
    createChromiumHistory(chPath());
    Db db(chPath());
    addChromiumUrl(db, "https://keep.example/", "Keep", kChromeVisit);
    std::int64_t victim = addChromiumUrl(db, "https://victim.example/", "Victim", kChromeVisit);
    addChromiumUrl(db, "https://bookmarked.example/", "Fav", kChromeVisit);
    const std::string v = std::to_string(victim);
    db.exec("INSERT INTO keyword_search_terms VALUES (1, " + v + ", 'Secret', 'secret')");
    db.exec("INSERT INTO segments(id, name, url_id) VALUES (5, 'victim', " + v + ")");
    db.exec("INSERT INTO segment_usage(segment_id, time_slot, visit_count) VALUES (5, 1, 1)");
    db.exec("INSERT INTO visit_source(id, source) SELECT id, 0 FROM visits WHERE url = " + v);
    // A later visit that came from the victim's visit.
    db.exec(
        "INSERT INTO visits(url, visit_time, from_visit) SELECT 1, 1, id FROM visits "
        "WHERE url = " +
        v);
    writeChromiumBookmarks(chDir, {"https://bookmarked.example/"});
    profiles.push_back(chromiumProfile(chDir));
  }

  std::string ffPath() const { return ffDir + "/places.sqlite"; }
  std::string chPath() const { return chDir + "/History"; }

  testsupport::TempDir tmp;
  std::string ffDir = tmp.str() + "/ff/abcd.default-esr";
  std::string chDir = tmp.str() + "/chromium/Default";
  std::int64_t keptPlace = 0, victimPlace = 0, bookmarkedPlace = 0;
  std::vector<browsers::BrowserProfile> profiles;
  std::set<std::string> running;
  browsers::history::ProfileWatch watch{
      [this] { return profiles; },
      [this](const browsers::BrowserProfile& p) { return running.count(p.profileDir) > 0; },
      {}};
  HistoryChange remove(const std::string& url) {
    const browsers::history::UrlList urls{url};
    return changeHistories(watch, &urls);
  }
  HistoryChange clear() { return changeHistories(watch, nullptr); }
};

TEST_F(HistoryChanges, FirefoxDeleteKeepsEveryOtherRowAndTheBookmark) {
  makeFirefox(FirefoxSchema::Current);
  ASSERT_EQ(remove("https://victim.example/").message, "");
  ASSERT_EQ(remove("https://bookmarked.example/").message, "");
  Db db(ffPath());
  EXPECT_EQ(db.strings("SELECT url FROM moz_places ORDER BY id"),
            (std::vector<std::string>{"https://keep.example/", "https://bookmarked.example/"}));
  EXPECT_EQ(db.count("SELECT count(*) FROM moz_historyvisits"), 1);
  EXPECT_EQ(
      db.count("SELECT last_visit_date IS NULL AND visit_count = 0 FROM moz_places WHERE id = " +
               std::to_string(bookmarkedPlace)),
      1);
  EXPECT_EQ(
      db.count("SELECT count(*) FROM moz_bookmarks WHERE fk = " + std::to_string(bookmarkedPlace)),
      1);
  EXPECT_EQ(db.count("SELECT count(*) FROM moz_places_metadata"), 0);
  EXPECT_EQ(db.count("SELECT count(*) FROM moz_places_metadata_search_queries"), 0);
  EXPECT_EQ(db.count("SELECT count(*) FROM moz_inputhistory"), 0);
  EXPECT_EQ(db.count("SELECT count(*) FROM moz_places_extra"), 0);  // cascaded
  EXPECT_EQ(db.count("SELECT count(*) FROM moz_origins WHERE host = 'victim.example'"), 0);
  EXPECT_EQ(db.count("SELECT count(*) FROM moz_origins WHERE host = 'keep.example'"), 1);
  EXPECT_TRUE(databaseClean(db));
}

TEST_F(HistoryChanges, FirefoxClearKeepsBookmarksAndLeavesASoundDatabase) {
  makeFirefox(FirefoxSchema::Current);
  {
    // A download from the bookmarked page: its record goes with the history.
    Db db(ffPath());
    db.exec(
        "INSERT INTO moz_anno_attributes(id, name) VALUES (90, 'downloads/destinationFileURI');"
        "INSERT INTO moz_annos(place_id, anno_attribute_id, content, flags, expiration, type, "
        "dateAdded, lastModified) SELECT id, 90, 'file:///home/u/Downloads/report.pdf', 0, 4, 3, "
        "0, 0 FROM moz_places WHERE url = 'https://bookmarked.example/'");
  }
  ASSERT_EQ(clear().message, "");
  // The WAL was folded back and emptied.
  EXPECT_LE(std::filesystem::exists(ffPath() + "-wal")
                ? std::filesystem::file_size(ffPath() + "-wal")
                : 0u,
            0u);
  Db db(ffPath());
  EXPECT_EQ(db.strings("SELECT url FROM moz_places"),
            std::vector<std::string>{"https://bookmarked.example/"});
  EXPECT_EQ(db.count("SELECT count(*) FROM moz_places WHERE last_visit_date IS NOT NULL"), 0);
  EXPECT_EQ(db.count("SELECT count(*) FROM moz_historyvisits"), 0);
  EXPECT_EQ(db.count("SELECT count(*) FROM moz_bookmarks WHERE type = 1"), 1);
  EXPECT_EQ(db.count("SELECT count(*) FROM moz_places_metadata_search_queries"), 0);
  EXPECT_EQ(db.strings("SELECT host FROM moz_origins"),
            std::vector<std::string>{"bookmarked.example"});
  EXPECT_EQ(db.count("SELECT count(*) FROM moz_annos"), 0);
  EXPECT_TRUE(databaseClean(db));
}

TEST_F(HistoryChanges, OlderFirefoxSchemaWithoutOriginsOrMetadata) {
  makeFirefox(FirefoxSchema::Old);
  ASSERT_EQ(remove("https://victim.example/").message, "");
  {
    Db db(ffPath());
    EXPECT_EQ(db.count("SELECT count(*) FROM moz_places"), 2);
    EXPECT_EQ(db.count("SELECT count(*) FROM moz_inputhistory"), 0);
  }
  ASSERT_EQ(clear().message, "");
  Db db(ffPath());
  EXPECT_EQ(db.strings("SELECT url FROM moz_places"),
            std::vector<std::string>{"https://bookmarked.example/"});
  EXPECT_TRUE(databaseClean(db));
}

TEST_F(HistoryChanges, ChromiumDeleteKeepsOtherRowsAndResetsABookmarkedUrl) {
  makeChromium();
  ASSERT_EQ(remove("https://victim.example/").message, "");
  ASSERT_EQ(remove("https://bookmarked.example/").message, "");
  Db db(chPath());
  EXPECT_EQ(db.strings("SELECT url FROM urls ORDER BY id"),
            (std::vector<std::string>{"https://keep.example/", "https://bookmarked.example/"}));
  EXPECT_EQ(db.count("SELECT last_visit_time FROM urls WHERE url = 'https://bookmarked.example/'"),
            0);
  // The keep row's own visit and the later visit remain, no longer pointing at a deleted one.
  EXPECT_EQ(db.count("SELECT count(*) FROM visits"), 2);
  EXPECT_EQ(db.count("SELECT count(*) FROM visits WHERE from_visit NOT IN (0) AND from_visit "
                     "NOT IN (SELECT id FROM visits)"),
            0);
  EXPECT_EQ(db.count("SELECT count(*) FROM keyword_search_terms"), 0);
  EXPECT_EQ(
      db.count("SELECT count(*) FROM segments") + db.count("SELECT count(*) FROM segment_usage"),
      0);
  EXPECT_EQ(db.count("SELECT count(*) FROM visit_source"), 0);
  EXPECT_TRUE(databaseClean(db));
}

TEST_F(HistoryChanges, ChromiumClearKeepsBookmarkedUrlsAndDropsTheDownloads) {
  makeChromium();
  {
    Db db(chPath());
    db.exec(
        "INSERT INTO downloads VALUES (1, 'g', '/d/r.pdf', '/d/r.pdf', 1, 9, 9, 1, 0, 0, x'', 2, "
        "0, 0, 0, '', 'https://bookmarked.example/', '', '', '', 'GET', '', '', '', '', '', "
        "'application/pdf', 'application/pdf');"
        "INSERT INTO downloads_url_chains VALUES (1, 0, 'https://bookmarked.example/r.pdf')");
  }
  ASSERT_EQ(clear().message, "");
  Db db(chPath());
  EXPECT_EQ(db.strings("SELECT url FROM urls"),
            std::vector<std::string>{"https://bookmarked.example/"});
  EXPECT_EQ(db.count("SELECT visit_count + typed_count + last_visit_time FROM urls"), 0);
  EXPECT_EQ(db.count("SELECT count(*) FROM visits"), 0);
  EXPECT_EQ(db.count("SELECT count(*) FROM keyword_search_terms"), 0);
  EXPECT_EQ(db.count("SELECT count(*) FROM downloads") +
                db.count("SELECT count(*) FROM downloads_url_chains"),
            0);
  EXPECT_TRUE(databaseClean(db));
}

// A running browser (its profile's lock held by another process) keeps its
// history, and the dry run says so beforehand; every other profile is
// cleared, and a database another program holds is left whole on its own.
TEST_F(HistoryChanges, EachProfileIsClearedOrLeftOnItsOwnAndTheOnesLeftAreNamed) {
  makeFirefox(FirefoxSchema::Current);
  makeChromium();
  watch.running = browsers::browserRunning;
  browsers::ProfileHistorySource source(watch);
  const core::HistoryArea area({&source});
  {
    browsertest::LockHolder firefox(ffDir + "/.parentlock");
    const platform::ClearOutcome preview = core::HistoryArea::preview(area.plan());
    ASSERT_EQ(preview.failures.size(), 1u);
    EXPECT_EQ(preview.failures[0].item, "Firefox (profile default-esr)");
    EXPECT_NE(preview.failures[0].reason.find("Please close Firefox (profile default-esr)"),
              std::string::npos);
    EXPECT_EQ(preview.removed, 3);  // Chromium's visited URLs; Firefox's three stay

    const platform::ClearOutcome run = area.apply(area.plan());
    ASSERT_EQ(run.failures.size(), 1u);
    EXPECT_EQ(run.failures[0].item, preview.failures[0].item);
    EXPECT_EQ(run.failures[0].reason, preview.failures[0].reason);
    EXPECT_EQ(run.removed, 3);
  }
  {
    Db ch(chPath());
    EXPECT_EQ(ch.count("SELECT count(*) FROM visits"), 0);
    Db ff(ffPath());
    EXPECT_EQ(ff.count("SELECT count(*) FROM moz_historyvisits"), 3);
  }

  // Held by another program while its browser is closed: said so, the rest changes.
  Db browser(ffPath(), true);
  browser.exec("UPDATE moz_places SET frecency = 1");  // takes and keeps the lock
  const HistoryChange change = remove("https://victim.example/");
  ASSERT_EQ(change.outcome.failures.size(), 1u);
  EXPECT_EQ(change.outcome.failures[0].item, "Firefox (profile default-esr)");
  EXPECT_NE(change.outcome.failures[0].reason.find("in use by another program"), std::string::npos)
      << change.message;
  EXPECT_EQ(browser.count("SELECT count(*) FROM moz_historyvisits"), 3);
}

TEST_F(HistoryChanges, UnreadableBookmarksFileStopsTheChange) {
  makeChromium();
  tmp.write("chromium/Default/Bookmarks", "{ not json");
  EXPECT_FALSE(clear().ok());
  Db db(chPath());
  EXPECT_EQ(db.count("SELECT count(*) FROM urls"), 3);
}

}  // namespace
