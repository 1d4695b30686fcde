#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cookie_databases.h"
#include "fake_home.h"
#include "platform/fake/fake_services.h"
#include "platform/linux/browsers/cookie_folder_file_layer.h"
#include "platform/linux/common/xdg_paths.h"
#include "temp_dir.h"

using browsertest::CookieRow;
using browsertest::queryRows;
using platform::linux_os::cookieFolder;
using platform::linux_os::CookieFolderFileLayer;

namespace {

constexpr const char* kFirefoxRows =
    "SELECT id, originAttributes, name, value, host, path, expiry FROM moz_cookies ORDER BY id";
constexpr const char* kChromiumRows =
    "SELECT host_key, top_frame_site_key, name, encrypted_value FROM cookies ORDER BY rowid";

// Two Firefox profiles (user_version 17 and 15) and two Chromium profiles (the
// cookies in the profile, and under Network/ after the migration).
class CookieFolder : public ::testing::Test {
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
  std::string entry(const std::string& name) const { return cookieFolder() + "/" + name; }

  std::vector<std::string> names() {
    std::vector<std::string> out;
    for (const platform::DirEntry& e : layer.listFolder(cookieFolder() + "/")) {
      EXPECT_EQ(e.attributes, platform::kAttrNormal) << e.name;
      out.push_back(e.name);
    }
    return out;
  }

  browsertest::FakeHome home;
  platform::fake::FakeFileLayer inner;
  CookieFolderFileLayer layer{inner};
};

std::vector<std::string> without(std::vector<std::string> rows, const std::string& needle) {
  rows.erase(
      std::remove_if(rows.begin(), rows.end(),
                     [&](const std::string& r) { return r.find(needle) != std::string::npos; }),
      rows.end());
  return rows;
}

}  // namespace

TEST_F(CookieFolder, ListsOneEntryPerSitePerProfile) {
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
  // The same folder without its trailing separator; other folders go inside.
  EXPECT_EQ(layer.listFolder(cookieFolder()).size(), 14u);
  inner.folders["/somewhere"] = {{"x.txt", 0}};
  ASSERT_EQ(layer.listFolder("/somewhere").size(), 1u);
}

TEST_F(CookieFolder, DeletingASiteTakesItsDomainAndSubDomainCookiesAndNothingElse) {
  const auto before = queryRows(ff17(), kFirefoxRows);
  const auto otherProfile = queryRows(ff15(), kFirefoxRows);
  EXPECT_EQ(layer.deleteFile(entry("firefox.default-esr@example.com")), 0);
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

TEST_F(CookieFolder, UnderscoreAndPercentInASiteAreNotWildcards) {
  const auto before = queryRows(ff17(), kFirefoxRows);
  EXPECT_EQ(layer.deleteFile(entry("firefox.default-esr@a_b.test")), 0);
  EXPECT_EQ(layer.deleteFile(entry("firefox.default-esr@a%b.test")), 0);
  EXPECT_EQ(queryRows(ff17(), kFirefoxRows), without(without(before, "|f|"), "|h|"));
}

TEST_F(CookieFolder, FirefoxCookiesPartitionedUnderASiteGoWithIt) {
  const auto before = queryRows(ff17(), kFirefoxRows);
  EXPECT_EQ(layer.deleteFile(entry("firefox.default-esr@news.test")), 0);
  EXPECT_EQ(queryRows(ff17(), kFirefoxRows), without(before, "|p|"));
}

TEST_F(CookieFolder, ChromiumInBothPlacesWithPartitionedCookies) {
  const auto work = queryRows(crWork(), kChromiumRows);
  EXPECT_EQ(layer.deleteFile(entry("chromium.Person 1@news.test")), 0);
  // The host's own cookie and the one partitioned under the site are gone.
  EXPECT_EQ(queryRows(crDefault(), kChromiumRows),
            (std::vector<std::string>{"widget.test||w|v", "shop.test||s|v"}));
  EXPECT_EQ(queryRows(crWork(), kChromiumRows), work);
  EXPECT_EQ(layer.deleteFile(entry("chromium.Work@intra.test")), 0);
  EXPECT_TRUE(queryRows(crWork(), kChromiumRows).empty());
  EXPECT_EQ(queryRows(crDefault(), "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
}

TEST_F(CookieFolder, MissingEntriesAreFileNotFound) {
  EXPECT_EQ(layer.deleteFile(entry("firefox.default-esr@nowhere.test")), 53);
  EXPECT_EQ(layer.deleteFile(entry("firefox.nobody@example.com")), 53);
  EXPECT_EQ(layer.deleteFile(entry("no-at-sign")), 53);
  EXPECT_EQ(layer.setAttributes(entry("firefox.nobody@example.com"), 0), 53);
  // www.example.com is a sub-domain of a listed site, not a site of its own
  // in the other profile.
  EXPECT_EQ(layer.deleteFile(entry("firefox.old@www.example.com")), 53);
  // Paths outside the folder are the inner layer's.
  EXPECT_EQ(layer.deleteFile("/elsewhere/file"), 0);
  EXPECT_EQ(inner.deleted, std::vector<std::string>{"/elsewhere/file"});
}

TEST_F(CookieFolder, ARunningBrowserKeepsItsEntriesAndLosesNothing) {
  const auto before = queryRows(ff17(), kFirefoxRows);
  {
    browsertest::LockHolder firefox(ff17Dir() + "/.parentlock");
    EXPECT_EQ(layer.deleteFile(entry("firefox.default-esr@example.com")), 75);
    EXPECT_EQ(layer.setAttributes(entry("firefox.default-esr@example.com"), 0), 0);
    EXPECT_EQ(layer.deleteFile(entry("firefox.default-esr@example.com")), 75);
    auto names = this->names();
    EXPECT_EQ(std::count(names.begin(), names.end(), "firefox.default-esr@example.com"), 1);
    // Another profile is not held.
    EXPECT_EQ(layer.deleteFile(entry("firefox.old@other.org")), 0);
  }
  EXPECT_EQ(queryRows(ff17(), kFirefoxRows), before);
}

TEST_F(CookieFolder, ALockedDatabaseIsListedFromACopyAndNotChanged) {
  // Chromium's rollback journal, held in an exclusive transaction.
  sqlite3* holder = nullptr;
  ASSERT_EQ(sqlite3_open(crDefault().c_str(), &holder), SQLITE_OK);
  browsertest::execOn(holder, "BEGIN EXCLUSIVE");
  EXPECT_EQ(layer.deleteFile(entry("chromium.Person 1@shop.test")), 75);
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
  EXPECT_EQ(layer.deleteFile(entry("firefox.default-esr@fresh.test")), 75);
  sqlite3_close(holder);
  EXPECT_EQ(queryRows(ff17(), "SELECT count(*) FROM moz_cookies WHERE host = 'fresh.test'"),
            std::vector<std::string>{"1"});
}

TEST_F(CookieFolder, SecureDeleteLeavesNoValueInTheFileAndVacuumLeavesNoFreePage) {
  std::filesystem::remove(crWork());
  browsertest::makeChromiumCookies(
      crWork(), {{"intra.test", "i", std::string(3000, 'Q')}, {"keep.test", "k"}});
  EXPECT_EQ(layer.deleteFile(entry("chromium.Work@intra.test")), 0);
  EXPECT_EQ(testsupport::readFile(crWork()).find(std::string(64, 'Q')), std::string::npos);

  layer.setVacuumAfterDelete(true);
  std::vector<CookieRow> many;
  for (int i = 0; i < 300; ++i) many.push_back({"bulk.test", "n" + std::to_string(i)});
  many.push_back({"stay.test", "s"});
  std::filesystem::remove(crWork());
  browsertest::makeChromiumCookies(crWork(), many);
  EXPECT_EQ(layer.deleteFile(entry("chromium.Work@bulk.test")), 0);
  EXPECT_EQ(queryRows(crWork(), "PRAGMA freelist_count"), std::vector<std::string>{"0"});
  EXPECT_EQ(queryRows(crWork(), kChromiumRows), std::vector<std::string>{"stay.test||s|v"});
}

// The databases are read from private copies; where none can be made (the
// temporary folder full or read-only) nothing is listed, and the clearing
// says so instead of "0 removed".
TEST_F(CookieFolder, ADatabaseThatCannotBeReadIsToldWhenTheCookiesAreCleared) {
  std::vector<std::string> listed;
  platform::ClearOutcome outcome;
  {
    // A folder where nobody, root included, can make a folder.
    testsupport::EnvGuard tmp("TMPDIR", "/proc/self");
    listed = names();
    EXPECT_EQ(layer.unreachedStores().size(), 4u);  // what a preview names
    layer.deleteEntries({}, {}, outcome);
  }
  EXPECT_TRUE(listed.empty());
  ASSERT_EQ(outcome.failures.size(), 4u);  // two Firefox and two Chromium profiles
  for (const platform::ClearFailure& failure : outcome.failures)
    EXPECT_NE(failure.reason.find("could not be read: no private copy"), std::string::npos)
        << failure.item << ": " << failure.reason;
  EXPECT_EQ(names().size(), 14u);
}
