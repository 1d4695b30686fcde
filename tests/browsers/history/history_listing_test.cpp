// Listing the browsers' histories: both epochs, titles, flags, the prefix
// filter, and reading a database its browser holds locked.
#include <gtest/gtest.h>

#include <set>

#include "browsers/history/history_records.h"
#include "history_fixtures.h"
#include "platform/linux/history/linux_url_history.h"
#include "temp_dir.h"

namespace {

using namespace historytest;
using browsers::BrowserProfile;
using platform::STATURL;
using platform::linux_os::LinuxUrlHistory;

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

  std::vector<STATURL> list(const std::string* prefix = nullptr, std::uint32_t flags = 0) {
    std::unique_ptr<platform::EnumSTATURL> enumerator;
    EXPECT_EQ(store.EnumUrls(enumerator), platform::S_OK);
    EXPECT_EQ(enumerator->SetFilter(prefix, flags), platform::S_OK);
    std::vector<STATURL> records;
    STATURL record;
    std::uint32_t fetched = 0;
    while (enumerator->Next(record, fetched) == platform::S_OK && fetched == 1)
      records.push_back(record);
    return records;
  }

  static const STATURL* find(const std::vector<STATURL>& records, const std::string& url) {
    for (const STATURL& r : records)
      if (r.url == url) return &r;
    return nullptr;
  }

  testsupport::TempDir tmp;
  std::string ffDir = tmp.str() + "/ff/abcd.default-esr";
  std::string chDir = tmp.str() + "/chromium/Default";
  std::vector<browsers::BrowserProfile> profiles;
  std::set<std::string> running;
  LinuxUrlHistory store{
      [this] { return profiles; },
      [this](const browsers::BrowserProfile& p) { return running.count(p.profileDir) > 0; }};
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
  std::vector<STATURL> records = list();
  ASSERT_EQ(records.size(), 4u);
  // Firefox: microseconds since 1970, latest first.
  EXPECT_EQ(records[0].url, "https://a.example/");
  EXPECT_TRUE(records[0].hasTitle);
  EXPECT_EQ(records[0].title, "Page A");
  EXPECT_EQ(records[0].ftLastVisited.value, kFirefoxVisitFileTime);
  EXPECT_EQ(records[0].ftLastUpdated.value, kFirefoxVisitFileTime);
  EXPECT_EQ(records[0].ftExpires.value, 0u);
  EXPECT_EQ(records[0].dwFlags, browsers::history::kFlagTyped);

  const STATURL* frame = find(records, "https://frame.example/");
  ASSERT_NE(frame, nullptr);
  EXPECT_FALSE(frame->hasTitle);
  EXPECT_EQ(frame->title, "");
  EXPECT_EQ(frame->dwFlags, browsers::history::kFlagHidden);
  const STATURL* empty = find(records, "https://empty.example/");
  ASSERT_NE(empty, nullptr);
  EXPECT_TRUE(empty->hasTitle);
  EXPECT_EQ(empty->title, "");

  // Chromium: microseconds since 1601, a FILETIME divided by 10; kept 90 days.
  const STATURL* c = find(records, "https://c.example/");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->ftLastVisited.value, static_cast<std::uint64_t>(kChromiumVisit) * 10);
  EXPECT_EQ(c->ftExpires.value - c->ftLastVisited.value, 90ull * 86400 * 10000000);
  EXPECT_EQ(c->dwFlags, browsers::history::kFlagTyped);
  EXPECT_EQ(find(records, "https://reset.example/"), nullptr);
  EXPECT_EQ(find(records, "https://never.example/"), nullptr);
}

TEST_F(HistoryListing, PrefixAndFlagFilters) {
  {
    Db ff(ffDir + "/places.sqlite");
    addFirefoxPlace(ff, "https://a.example/one", "1", kFirefoxVisit);
    addFirefoxPlace(ff, "http://a.example/two", "2", kFirefoxVisit, true);
    Db ch(chDir + "/History");
    addChromiumUrl(ch, "https://a.example/three", "3", kChromiumVisit);
    addChromiumUrl(ch, "https://b.example/", "4", kChromiumVisit);
  }
  const std::string prefix = "https://a.example/";
  std::set<std::string> urls;
  for (const STATURL& r : list(&prefix)) urls.insert(r.url);
  EXPECT_EQ(urls, (std::set<std::string>{"https://a.example/one", "https://a.example/three"}));
  const std::string none = "ftp://";
  EXPECT_TRUE(list(&none).empty());
  std::vector<STATURL> hidden = list(nullptr, browsers::history::kFlagHidden);
  ASSERT_EQ(hidden.size(), 1u);
  EXPECT_EQ(hidden[0].url, "http://a.example/two");
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
  std::vector<STATURL> records = list();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].url, "https://c.example/");
}

TEST_F(HistoryListing, ADatabaseTheBrowserHoldsLockedIsReadFromACopyWithItsWal) {
  Db browser(ffDir + "/places.sqlite", true);
  addFirefoxPlace(browser, "https://recent.example/", "Recent", kFirefoxVisit);
  // The browser's connection holds the lock; the new row sits in the WAL.
  running.insert(ffDir);
  std::vector<STATURL> records = list();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].url, "https://recent.example/");
  // Even when its lock file looks stale, the lock itself sends us to a copy.
  running.clear();
  EXPECT_EQ(list().size(), 1u);
  // Nothing of ours is left beside the live database.
  EXPECT_FALSE(std::filesystem::exists(ffDir + "/places.sqlite-shm"));
}

}  // namespace
