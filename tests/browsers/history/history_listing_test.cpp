// Listing the browsers' histories: both epochs, titles, flags, and reading a
// database its browser holds locked.
#include <gtest/gtest.h>

#include <set>

#include "browsers/history/history_records.h"
#include "browsers/history/profile_history_source.h"
#include "history_fixtures.h"
#include "temp_dir.h"

namespace {

using namespace historytest;
using browsers::BrowserProfile;
using core::HistoryEntry;

// 2026-01-02 03:04:05.678901 UTC: microseconds since 1970 and its FILETIME.
constexpr std::int64_t kFirefoxVisit = 1767323045678901;
constexpr std::uint64_t kFirefoxVisitFileTime = 134117966456789010;
// 2025-07-01 12:00:00 UTC in microseconds since 1601.
constexpr std::int64_t kChromiumVisit = 13395844800000000;

class HistoryListing : public ::testing::Test {
 protected:
  HistoryListing() {
    createFirefoxPlaces(ffDir + "/places.sqlite");
    createChromiumHistory(chDir + "/History");
    profiles = {firefoxProfile(ffDir), chromiumProfile(chDir)};
  }

  std::vector<HistoryEntry> list() {
    core::HistoryPlan plan;
    std::string problem;
    EXPECT_TRUE(source.list(plan, 0, problem)) << problem;
    return plan.entries;
  }

  static const HistoryEntry* find(const std::vector<HistoryEntry>& records,
                                  const std::string& url) {
    for (const HistoryEntry& r : records)
      if (r.url == url) return &r;
    return nullptr;
  }

  testsupport::TempDir tmp;
  std::string ffDir = tmp.str() + "/ff/abcd.default-esr";
  std::string chDir = tmp.str() + "/chromium/Default";
  std::vector<browsers::BrowserProfile> profiles;
  std::set<std::string> running;
  browsers::ProfileHistorySource source{
      {[this] { return profiles; },
       [this](const browsers::BrowserProfile& p) { return running.count(p.profileDir) > 0; },
       {}}};
};

TEST_F(HistoryListing, ListsVisitedRowsOfBothFamiliesWithTheirTimesTitlesAndFlags) {
  {
    Db ff(ffDir + "/places.sqlite");
    addFirefoxPlace(ff, "https://a.example/", "Page A", kFirefoxVisit, false, 1);
    addFirefoxPlace(ff, "https://frame.example/", nullptr, kFirefoxVisit - 1000000, true);
    addFirefoxPlace(ff, "https://empty.example/", "", kFirefoxVisit - 2000000);
    // Bookmarked but never visited: not history.
    ff.exec(
        "INSERT INTO moz_places(url, title, foreign_count, guid) VALUES "
        "('https://never.example/', 'Never', 1, 'never')");
    Db ch(chDir + "/History");
    addChromiumUrl(ch, "https://c.example/", "Page C", kChromiumVisit, false, 2);
    ch.exec(
        "INSERT INTO urls(url, title, last_visit_time) VALUES ('https://reset.example/', "
        "'reset', 0)");
  }
  std::vector<HistoryEntry> records = list();
  ASSERT_EQ(records.size(), 4u);
  // Firefox: microseconds since 1970, latest first.
  EXPECT_EQ(records[0].url, "https://a.example/");
  EXPECT_EQ(records[0].title, "Page A");
  EXPECT_EQ(records[0].lastVisited, kFirefoxVisitFileTime);
  EXPECT_EQ(records[0].lastUpdated, kFirefoxVisitFileTime);
  EXPECT_EQ(records[0].expires, 0u);
  EXPECT_EQ(records[0].flags, browsers::history::kFlagTyped);

  const HistoryEntry* frame = find(records, "https://frame.example/");
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->title, "");
  EXPECT_EQ(frame->flags, browsers::history::kFlagHidden);
  const HistoryEntry* empty = find(records, "https://empty.example/");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->title, "");

  // Chromium: microseconds since 1601, a FILETIME divided by 10; kept 90 days.
  const HistoryEntry* c = find(records, "https://c.example/");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->lastVisited, static_cast<std::uint64_t>(kChromiumVisit) * 10);
  EXPECT_EQ(c->expires - c->lastVisited, 90ull * 86400 * 10000000);
  EXPECT_EQ(c->flags, browsers::history::kFlagTyped);
  EXPECT_EQ(find(records, "https://reset.example/"), nullptr);
  EXPECT_EQ(find(records, "https://never.example/"), nullptr);
}

TEST_F(HistoryListing, ListingAClosedBrowsersDatabaseLeavesNothingBesideIt) {
  {
    Db ff(ffDir + "/places.sqlite");
    addFirefoxPlace(ff, "https://a.example/", "A", kFirefoxVisit);
  }
  EXPECT_EQ(list().size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(ffDir + "/places.sqlite-wal"));
  EXPECT_FALSE(std::filesystem::exists(ffDir + "/places.sqlite-shm"));
  EXPECT_FALSE(std::filesystem::exists(chDir + "/History-journal"));
}

TEST_F(HistoryListing, EmptyAndMissingDatabasesListNothing) {
  profiles.push_back(firefoxProfile(tmp.str() + "/no-such-profile"));
  EXPECT_TRUE(list().empty());
}

TEST_F(HistoryListing, UnknownOrCorruptDatabaseIsSkippedAndTheOthersStillList) {
  {
    Db ch(chDir + "/History");
    addChromiumUrl(ch, "https://c.example/", "C", kChromiumVisit);
  }
  std::string bad = tmp.str() + "/bad";
  tmp.write("bad/places.sqlite", std::string(4096, 'x'));
  profiles.push_back(firefoxProfile(bad, "broken"));
  std::vector<HistoryEntry> records = list();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].url, "https://c.example/");
}

TEST_F(HistoryListing, ADatabaseTheBrowserHoldsLockedIsReadFromACopyWithItsWal) {
  Db browser(ffDir + "/places.sqlite", true);
  addFirefoxPlace(browser, "https://recent.example/", "Recent", kFirefoxVisit);
  // The browser's connection holds the lock; the new row sits in the WAL.
  running.insert(ffDir);
  std::vector<HistoryEntry> records = list();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].url, "https://recent.example/");
  // Even when its lock file looks stale, the lock itself sends us to a copy.
  running.clear();
  EXPECT_EQ(list().size(), 1u);
  // Nothing of ours is left beside the live database.
  EXPECT_FALSE(std::filesystem::exists(ffDir + "/places.sqlite-shm"));
}

}  // namespace
