#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cookie_databases.h"
#include "cookie_driver.h"
#include "fake_home.h"
#include "temp_dir.h"

using browsertest::CookieRow;
using browsertest::queryRows;
using browsertest::Removal;

namespace {

constexpr const char* kFirefoxRows =
    "SELECT id, originAttributes, name, value, host, path, expiry FROM moz_cookies ORDER BY id";
constexpr const char* kChromiumRows =
    "SELECT host_key, top_frame_site_key, name, encrypted_value FROM cookies ORDER BY rowid";

// Two Firefox profiles (user_version 17 and 15) and two Chromium profiles (the
// cookies in the profile, and under Network/ after the migration).
class CookieSites : public ::testing::Test {
 protected:
  void SetUp() override {
    home.write(".mozilla/firefox/profiles.ini",
               "[Profile0]\nName=default-esr\nIsRelative=1\nPath=a.default-esr\n\n"
               "[Profile1]\nName=old\nIsRelative=1\nPath=b.old\n");
    std::filesystem::create_directories(ff17Dir());
    std::filesystem::create_directories(home.path(".mozilla/firefox/b.old"));
    browsertest::makeFirefoxCookies(
        ff17(), 17,
        {{"example.com", "a"},
         {".example.com", "b"},
         {"www.example.com", "c"},
         {"badexample.com", "d"},
         {"example.com.evil", "e"},
         {"a_b.test", "f"},
         {"axb.test", "g"},
         {"a%b.test", "h"},
         {"aXYb.test", "i"},
         {"embed.test", "p", "v", "^partitionKey=%28https%2Cnews.test%29"}});
    browsertest::makeFirefoxCookies(ff15(), 15, {{".example.com", "old"}, {"other.org", "x"}});
    home.write(".config/chromium/Local State",
               R"({"profile":{"info_cache":{"Default":{"name":"Person 1"},)"
               R"("Profile 1":{"name":"Work"}}}})");
    home.write(".config/chromium/Default/Preferences", "{}");
    home.write(".config/chromium/Profile 1/Network/NetworkDataMigrated", "");
    browsertest::makeChromiumCookies(crDefault(), {{".news.test", "n"},
                                                   {"widget.test", "w"},
                                                   {"embed.test", "p", "v", "https://news.test"},
                                                   {"shop.test", "s"}});
    browsertest::makeChromiumCookies(crWork(), {{"intra.test", "i"}});
  }

  std::string ff17Dir() const { return home.path(".mozilla/firefox/a.default-esr"); }
  std::string ff17() const { return ff17Dir() + "/cookies.sqlite"; }
  std::string ff15() const { return home.path(".mozilla/firefox/b.old/cookies.sqlite"); }
  std::string crDefault() const { return home.path(".config/chromium/Default/Cookies"); }
  std::string crWork() const { return home.path(".config/chromium/Profile 1/Network/Cookies"); }
  std::vector<std::string> names() { return cookies.list(); }

  browsertest::FakeHome home;
  browsertest::CookieDriver cookies;
};

std::vector<std::string> without(std::vector<std::string> rows, const std::string& needle) {
  rows.erase(
      std::remove_if(rows.begin(), rows.end(),
                     [&](const std::string& r) { return r.find(needle) != std::string::npos; }),
      rows.end());
  return rows;
}

}  // namespace

TEST_F(CookieSites, ListsOneEntryPerSitePerProfile) {
  // Sites are registrable domains: www.example.com is inside example.com,
  // "evil" is no public suffix so example.com.evil is the site com.evil, and
  // embed.test has only a cookie partitioned under news.test, so it is inside
  // news.test.
  EXPECT_EQ(names(), (std::vector<std::string>{
                         "firefox.default-esr@badexample.com",
                         "firefox.default-esr@example.com",
                         "firefox.default-esr@com.evil",
                         "firefox.default-esr@a%b.test",
                         "firefox.default-esr@a_b.test",
                         "firefox.default-esr@axb.test",
                         "firefox.default-esr@axyb.test",
                         "firefox.default-esr@news.test",
                         "firefox.old@example.com",
                         "firefox.old@other.org",
                         "chromium.Person 1@news.test",
                         "chromium.Person 1@shop.test",
                         "chromium.Person 1@widget.test",
                         "chromium.Work@intra.test",
                     }));
  // Each entry's cookies are in its profile's database.
  EXPECT_EQ(cookies.location("chromium.Work@intra.test"), crWork());
}

TEST_F(CookieSites, DeletingASiteTakesItsDomainAndSubDomainCookiesAndNothingElse) {
  const auto before = queryRows(ff17(), kFirefoxRows);
  const auto otherProfile = queryRows(ff15(), kFirefoxRows);
  EXPECT_EQ(cookies.remove("firefox.default-esr@example.com"), Removal::Gone);
  auto after = queryRows(ff17(), kFirefoxRows);
  auto expected = before;
  for (const char* gone : {"|a|", "|b|", "|c|"}) expected = without(expected, gone);
  EXPECT_EQ(after, expected);  // badexample.com and example.com.evil kept, byte for byte
  EXPECT_EQ(queryRows(ff15(), kFirefoxRows), otherProfile);
  EXPECT_EQ(queryRows(ff17(), "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
  // The deleted values left nothing behind: no WAL, and zeroed free pages.
  EXPECT_FALSE(std::filesystem::exists(ff17() + "-wal") &&
               std::filesystem::file_size(ff17() + "-wal") > 0);
  auto names = this->names();
  EXPECT_EQ(std::count(names.begin(), names.end(), "firefox.default-esr@www.example.com"), 0);
  EXPECT_EQ(std::count(names.begin(), names.end(), "firefox.old@example.com"), 1);
}

TEST_F(CookieSites, UnderscoreAndPercentInASiteAreNotWildcards) {
  const auto before = queryRows(ff17(), kFirefoxRows);
  EXPECT_EQ(cookies.remove("firefox.default-esr@a_b.test"), Removal::Gone);
  EXPECT_EQ(cookies.remove("firefox.default-esr@a%b.test"), Removal::Gone);
  EXPECT_EQ(queryRows(ff17(), kFirefoxRows), without(without(before, "|f|"), "|h|"));
}

TEST_F(CookieSites, FirefoxCookiesPartitionedUnderASiteGoWithIt) {
  const auto before = queryRows(ff17(), kFirefoxRows);
  EXPECT_EQ(cookies.remove("firefox.default-esr@news.test"), Removal::Gone);
  EXPECT_EQ(queryRows(ff17(), kFirefoxRows), without(before, "|p|"));
}

TEST_F(CookieSites, ChromiumInBothPlacesWithPartitionedCookies) {
  const auto work = queryRows(crWork(), kChromiumRows);
  EXPECT_EQ(cookies.remove("chromium.Person 1@news.test"), Removal::Gone);
  // The host's own cookie and the one partitioned under the site are gone.
  EXPECT_EQ(queryRows(crDefault(), kChromiumRows),
            (std::vector<std::string>{"widget.test||w|v", "shop.test||s|v"}));
  EXPECT_EQ(queryRows(crWork(), kChromiumRows), work);
  EXPECT_EQ(cookies.remove("chromium.Work@intra.test"), Removal::Gone);
  EXPECT_TRUE(queryRows(crWork(), kChromiumRows).empty());
  EXPECT_EQ(queryRows(crDefault(), "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
}

TEST_F(CookieSites, MissingEntriesRemoveNothing) {
  EXPECT_EQ(cookies.remove("firefox.default-esr@nowhere.test"), Removal::NotThere);
  EXPECT_EQ(cookies.remove("firefox.nobody@example.com"), Removal::NotThere);
  EXPECT_EQ(cookies.remove("no-at-sign"), Removal::NotThere);
  // www.example.com is a sub-domain of a listed site, not a site of its own
  // in the other profile.
  EXPECT_EQ(cookies.remove("firefox.old@www.example.com"), Removal::NotThere);
}

TEST_F(CookieSites, ARunningBrowserKeepsItsEntriesAndLosesNothing) {
  const auto before = queryRows(ff17(), kFirefoxRows);
  {
    browsertest::LockHolder firefox(ff17Dir() + "/.parentlock");
    EXPECT_EQ(cookies.remove("firefox.default-esr@example.com"), Removal::Stayed);
    EXPECT_EQ(cookies.remove("firefox.default-esr@example.com"), Removal::Stayed);
    auto names = this->names();
    EXPECT_EQ(std::count(names.begin(), names.end(), "firefox.default-esr@example.com"), 1);
    // Another profile is not held.
    EXPECT_EQ(cookies.remove("firefox.old@other.org"), Removal::Gone);
  }
  EXPECT_EQ(queryRows(ff17(), kFirefoxRows), before);
}

TEST_F(CookieSites, ALockedDatabaseIsListedFromACopyAndNotChanged) {
  // Chromium's rollback journal, held in an exclusive transaction.
  sqlite3* holder = nullptr;
  ASSERT_EQ(sqlite3_open(crDefault().c_str(), &holder), SQLITE_OK);
  browsertest::execOn(holder, "BEGIN EXCLUSIVE");
  EXPECT_EQ(cookies.remove("chromium.Person 1@shop.test"), Removal::Stayed);
  auto names = this->names();
  EXPECT_EQ(std::count(names.begin(), names.end(), "chromium.Person 1@shop.test"), 1);
  browsertest::execOn(holder, "ROLLBACK");
  sqlite3_close(holder);
  EXPECT_EQ(queryRows(crDefault(), kChromiumRows).size(), 4u);

  // Firefox's WAL in exclusive locking mode, with rows not yet checkpointed:
  // nobody else can read the live file, the copy has them all.
  ASSERT_EQ(sqlite3_open(ff17().c_str(), &holder), SQLITE_OK);
  browsertest::execOn(holder,
                      "PRAGMA locking_mode = EXCLUSIVE; PRAGMA wal_autocheckpoint = 0;"
                      "INSERT INTO moz_cookies (host, name, value, path) "
                      "VALUES ('fresh.test', 'z', 'v', '/')");
  names = this->names();
  EXPECT_EQ(std::count(names.begin(), names.end(), "firefox.default-esr@fresh.test"), 1);
  EXPECT_EQ(cookies.remove("firefox.default-esr@fresh.test"), Removal::Stayed);
  sqlite3_close(holder);
  EXPECT_EQ(queryRows(ff17(), "SELECT count(*) FROM moz_cookies WHERE host = 'fresh.test'"),
            std::vector<std::string>{"1"});
}

TEST_F(CookieSites, SecureDeleteLeavesNoValueInTheFileAndVacuumLeavesNoFreePage) {
  std::filesystem::remove(crWork());
  browsertest::makeChromiumCookies(
      crWork(), {{"intra.test", "i", std::string(3000, 'Q')}, {"keep.test", "k"}});
  EXPECT_EQ(cookies.remove("chromium.Work@intra.test"), Removal::Gone);
  EXPECT_EQ(testsupport::readFile(crWork()).find(std::string(64, 'Q')), std::string::npos);

  cookies.vacuum = true;
  std::vector<CookieRow> many;
  for (int i = 0; i < 300; ++i) many.push_back({"bulk.test", "n" + std::to_string(i)});
  many.push_back({"stay.test", "s"});
  std::filesystem::remove(crWork());
  browsertest::makeChromiumCookies(crWork(), many);
  EXPECT_EQ(cookies.remove("chromium.Work@bulk.test"), Removal::Gone);
  EXPECT_EQ(queryRows(crWork(), "PRAGMA freelist_count"), std::vector<std::string>{"0"});
  EXPECT_EQ(queryRows(crWork(), kChromiumRows), std::vector<std::string>{"stay.test||s|v"});
}

// The databases are read from private copies; where none can be made (the
// temporary folder full or read-only) nothing is listed, and the clearing
// says so instead of "0 removed".
TEST_F(CookieSites, ADatabaseThatCannotBeReadIsToldWhenTheCookiesAreCleared) {
  std::vector<std::string> listed;
  platform::ClearOutcome outcome;
  {
    // A folder where nobody, root included, can make a folder.
    testsupport::EnvGuard tmp("TMPDIR", "/proc/self");
    listed = names();
    EXPECT_EQ(cookies.plan.unreached.size(), 4u);  // what a preview names
    outcome = cookies.remove(std::vector<std::string>{});
  }
  EXPECT_TRUE(listed.empty());
  ASSERT_EQ(outcome.failures.size(), 4u);  // two Firefox and two Chromium profiles
  for (const platform::ClearFailure& failure : outcome.failures)
    EXPECT_NE(failure.reason.find("could not be read: no private copy"), std::string::npos)
        << failure.item << ": " << failure.reason;
  EXPECT_EQ(names().size(), 14u);
}
