// Profiles the user moved to another disk and left a link to (a Firefox root
// and profile folder, Chromium's Default) are cleared where they are; a link
// that another user placed, or one into a system folder, is never followed
// and is told.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "cookie_databases.h"
#include "cookie_driver.h"
#include "fake_home.h"
#include "temp_dir.h"

namespace fs = std::filesystem;
using browsertest::queryRows;

namespace {

class LinkedProfiles : public ::testing::Test {
 protected:
  void SetUp() override {
    // Firefox: the root is a link, and so is the profile folder in it.
    fs::create_directories(disk.path() / "firefox");
    fs::create_directories(disk.path() / "ff-profile");
    fs::create_directories(home.path(".mozilla"));
    fs::create_directory_symlink(disk.path() / "firefox", home.path(".mozilla/firefox"));
    disk.write("firefox/profiles.ini", "[Profile0]\nName=moved\nIsRelative=1\nPath=a.moved\n");
    fs::create_directory_symlink(disk.path() / "ff-profile", disk.path() / "firefox/a.moved");
    browsertest::makeFirefoxCookies(ffCookies(), 17, {{"example.com", "a"}, {"news.test", "b"}});
    // Chromium: a real user-data folder whose Default is a link.
    home.write(".config/chromium/Local State", R"({"profile":{"info_cache":{"Default":{}}}})");
    disk.write("chromium-default/Preferences", "{}");
    fs::create_directory_symlink(disk.path() / "chromium-default", chromiumDefault());
    browsertest::makeChromiumCookies(chCookies(), {{".shop.test", "s"}});
  }

  std::string ffCookies() const { return (disk.path() / "ff-profile/cookies.sqlite").string(); }
  std::string chCookies() const { return (disk.path() / "chromium-default/Cookies").string(); }
  std::string chromiumDefault() const { return home.path(".config/chromium/Default"); }

  platform::ClearOutcome deleteEverything() { return cookies.remove(cookies.list()); }

  browsertest::FakeHome home;
  testsupport::TempDir disk;  // "another disk"
  browsertest::CookieDriver cookies;
};

TEST_F(LinkedProfiles, CookiesOfLinkedFoldersAreClearedWhereTheyAre) {
  const platform::ClearOutcome outcome = deleteEverything();
  EXPECT_TRUE(outcome.ok());
  EXPECT_EQ(outcome.removed, 3);
  EXPECT_TRUE(queryRows(ffCookies(), "SELECT name FROM moz_cookies").empty());
  EXPECT_TRUE(queryRows(chCookies(), "SELECT name FROM cookies").empty());
  // The links themselves are where the user put them.
  EXPECT_TRUE(fs::is_symlink(home.path(".mozilla/firefox")));
  EXPECT_TRUE(fs::is_symlink(chromiumDefault()));
}

TEST_F(LinkedProfiles, ALinkIntoASystemFolderIsToldAndNotFollowed) {
  fs::create_directories(home.path(".config/vivaldi"));
  fs::create_directory_symlink("/etc", home.path(".config/vivaldi/Default"));
  home.write(".config/vivaldi/Local State", R"({"profile":{"info_cache":{"Default":{}}}})");
  // The preview names what the clearing will not reach, as the clearing does.
  cookies.list();
  const std::vector<platform::ClearFailure> unreached = cookies.plan.unreached;
  ASSERT_EQ(unreached.size(), 1u);
  const platform::ClearOutcome outcome = deleteEverything();
  ASSERT_EQ(outcome.failures.size(), 1u);
  EXPECT_EQ(outcome.failures[0].item, home.path(".config/vivaldi/Default"));
  EXPECT_EQ(unreached[0].reason, outcome.failures[0].reason);
  // A system folder to the rule, or (not run as root) a folder of another user.
  EXPECT_NE(outcome.failures[0].reason.find("left as it is"), std::string::npos);
  EXPECT_EQ(outcome.removed, 3);  // the others are cleared all the same
}

TEST_F(LinkedProfiles, ALinkOfAnotherUserIsToldAndItsCookiesStay) {
  if (geteuid() != 0) GTEST_SKIP() << "a link of another user can only be made as root";
  ASSERT_EQ(lchown(chromiumDefault().c_str(), 4321, 4321), 0);
  const platform::ClearOutcome outcome = deleteEverything();
  ASSERT_EQ(outcome.failures.size(), 1u);
  EXPECT_EQ(outcome.failures[0].item, chromiumDefault());
  EXPECT_EQ(outcome.failures[0].reason, "is a link owned by another user; left as it is");
  EXPECT_EQ(queryRows(chCookies(), "SELECT name FROM cookies").size(), 1u);
  EXPECT_TRUE(queryRows(ffCookies(), "SELECT name FROM moz_cookies").empty());
}

}  // namespace
