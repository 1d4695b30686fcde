// The history page over the browser source, on profiles that Debian's firefox-esr and
// chromium made themselves (../make_profiles.sh). Skipped when the browsers
// are not installed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>
#include <tuple>

#include "browser_process.h"
#include "browsers/formats/moz_lz4.h"
#include "browsers/formats/sqlite_copy.h"
#include "browsers/history/profile_history_source.h"
#include "browsers/profiles/browser_profiles.h"
#include "forms/fake/fake_platform.h"
#include "identity.h"
#include "temp_dir.h"
#include "traces/history_page.h"

namespace {

namespace fs = std::filesystem;
using browsers::BrowserFamily;
using browsers::BrowserProfile;
using testsupport::installed;
using testsupport::RunningBrowser;
using testsupport::runScript;

const fs::path kScripts = fs::path(__FILE__).parent_path().parent_path();
const std::vector<std::string> kSites = {"alpha.test", "beta.test"};
// Chromium's profile holds a bookmark of it; Firefox's does not.
const std::string kBookmarked = "http://kept.test/";

// The files under dir (or dir itself, a file) that hold the text: as UTF-8,
// as UTF-16, or inside a decompressed mozLz4 file.
std::vector<std::string> filesHolding(const fs::path& dir, const std::string& text) {
  std::string wide;
  for (char c : text) wide += std::string{c, '\0'};
  std::vector<fs::path> files;
  if (fs::is_regular_file(dir))
    files.push_back(dir);
  else
    for (const auto& entry : fs::recursive_directory_iterator(dir))
      if (!entry.is_symlink() && entry.is_regular_file()) files.push_back(entry.path());
  std::vector<std::string> found;
  for (const fs::path& file : files) {
    std::string bytes = testsupport::readFile(file);
    if (auto plain = browsers::decompressMozLz4(bytes)) bytes += *plain;
    if (bytes.find(text) != std::string::npos || bytes.find(wide) != std::string::npos)
      found.push_back(file.string());
  }
  return found;
}

// The first column of every row, read from a private copy.
std::vector<std::string> column(const std::string& database, const std::string& sql) {
  std::vector<std::string> rows;
  auto copy = browsers::SqliteCopy::open(database);
  if (!copy) return rows;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(copy->db(), sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) return rows;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    const auto* text = sqlite3_column_text(stmt, 0);
    rows.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
  }
  sqlite3_finalize(stmt);
  return rows;
}

// A browser left running on a profile, as a user would.

class RealHistories : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!installed("firefox-esr") || !installed("chromium")) return;
    home_ = std::make_unique<testsupport::TempDir>();
    std::string sites;
    for (const std::string& s : kSites) sites += " " + s;
    made_ = runScript("bash '" + (kScripts / "make_profiles.sh").string() + "' '" + homePath() +
                      "'" + sites + " kept.test >'" + home_->str() + "/make.log' 2>&1");
    // Firefox writes its session files and the sites' icons only in an
    // ordinary window.
    if (made_ == 0)
      made_ = runScript("bash '" + (kScripts / "browse_a_while.sh").string() + "' '" + homePath() +
                        "'" + sites + " >>'" + home_->str() + "/make.log' 2>&1");
  }
  static void TearDownTestSuite() { home_.reset(); }

  void SetUp() override {
    if (!home_ || made_ == 77) GTEST_SKIP() << "firefox-esr and chromium are not installed";
    ASSERT_EQ(made_, 0) << testsupport::readFile(home_->str() + "/make.log");
    env_.push_back(std::make_unique<testsupport::EnvGuard>("HOME", homePath()));
    env_.push_back(
        std::make_unique<testsupport::EnvGuard>("XDG_CONFIG_HOME", homePath() + "/.config"));
    env_.push_back(
        std::make_unique<testsupport::EnvGuard>("XDG_CACHE_HOME", homePath() + "/.cache"));
    profiles_ = browsers::findBrowserProfiles();
    ASSERT_EQ(profiles_.size(), 2u);
    page_ = std::make_unique<traces::HistoryPage>(platform_, forms::PageHost{form_, sbar_}, nullptr,
                                                  std::vector<core::HistorySource*>{&source_});
  }

  static std::string homePath() { return home_->str() + "/home"; }

  const browsers::BrowserProfile& profile(browsers::BrowserFamily family) const {
    return *std::find_if(profiles_.begin(), profiles_.end(),
                         [&](const browsers::BrowserProfile& p) { return p.family == family; });
  }
  std::string places() const {
    return profile(browsers::BrowserFamily::Firefox).profileDir + "/places.sqlite";
  }
  std::string chromiumHistory() const {
    return profile(browsers::BrowserFamily::Chromium).profileDir + "/History";
  }
  std::vector<std::string> listedUrls() {
    page_->loadURLHistory();
    std::vector<std::string> urls;
    for (const forms::ListItem& line : page_->URLs.Items()) urls.push_back(line.SubItems.at(0));
    return urls;
  }
  bool waitUntilRunning(browsers::BrowserFamily family) {
    for (int i = 0; i < 300; ++i) {
      if (browsers::browserRunning(profile(family))) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

  static inline std::unique_ptr<testsupport::TempDir> home_;
  static inline int made_ = -1;
  std::vector<std::unique_ptr<testsupport::EnvGuard>> env_;
  std::vector<browsers::BrowserProfile> profiles_;
  forms::fake::FakePlatform fakes_;
  forms::Platform platform_ = fakes_.platform();
  browsers::ProfileHistorySource source_;
  forms::Form form_{"frmmain"};
  forms::StatusBar sbar_{"sbar", 2};
  std::unique_ptr<traces::HistoryPage> page_;
};

}  // namespace

// One test, in the order a user goes: look, try with a browser open, clear,
// and start the browsers again on the same profiles.
TEST_F(RealHistories, ListClearWithTheBrowsersClosedAndStartThemAgain) {
  page_->loadURLHistory();
  for (const std::string& site : kSites) {
    int lines = 0;
    for (const forms::ListItem& line : page_->URLs.Items()) {
      if (line.SubItems.at(0) != "http://" + site + "/") continue;
      ++lines;
      EXPECT_EQ(line.Text, "Page of " + site);
      EXPECT_FALSE(line.SubItems.at(1).empty());
    }
    EXPECT_EQ(lines, 2) << site << ": one line per browser";
  }

  const auto firefoxBookmarks = column(places(), "SELECT fk FROM moz_bookmarks WHERE type = 1");
  ASSERT_FALSE(firefoxBookmarks.empty());
  const std::string data = homePath() + "/.config/chromium";
  const std::string firefoxDir = profile(browsers::BrowserFamily::Firefox).profileDir;
  const std::string chromiumData = profile(browsers::BrowserFamily::Chromium).userDataDir;
  // A running browser keeps its history, whole, and is named; the other
  // browser's goes all the same.
  auto clearWhileRunning = [&](browsers::BrowserFamily family, const char* name,
                               const std::vector<std::string>& args) {
    RunningBrowser browser(args);
    ASSERT_TRUE(waitUntilRunning(family)) << name;
    const std::size_t boxes = fakes_.msgbox.shown.size();
    page_->cmdClearHistory_Click();
    ASSERT_EQ(fakes_.msgbox.shown.size(), boxes + 1) << name;
    EXPECT_NE(fakes_.msgbox.shown.back().text.find(name), std::string::npos)
        << fakes_.msgbox.shown.back().text;
    EXPECT_EQ(fakes_.msgbox.shown.back().caption, identity::kAppTitle);
  };
  clearWhileRunning(browsers::BrowserFamily::Firefox, "Firefox",
                    {"firefox-esr", "--headless", "-P", "tracesweep", "about:blank"});
  // Listing still works while a browser holds its database; Firefox's visits
  // are all there, Chromium's are gone from every file.
  auto urls = listedUrls();
  for (const std::string& site : kSites) {
    EXPECT_EQ(std::count(urls.begin(), urls.end(), "http://" + site + "/"), 1) << site;
    ASSERT_FALSE(filesHolding(firefoxDir, "http://" + site).empty()) << site;
    EXPECT_EQ(filesHolding(chromiumData, "http://" + site), std::vector<std::string>{}) << site;
  }
  ASSERT_FALSE(
      filesHolding(firefoxDir + "/sessionstore-backups", "http://" + kSites.front()).empty());
  clearWhileRunning(browsers::BrowserFamily::Chromium, "Chromium",
                    {"chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                     "--password-store=basic", "--user-data-dir=" + data, "about:blank"});

  page_->cmdClearHistory_Click();
  EXPECT_EQ(fakes_.msgbox.shown.size(), 2u) << fakes_.msgbox.shown.back().text;
  const std::vector<std::string> left = listedUrls();
  EXPECT_TRUE(left.empty()) << left.front();

  // No file of either profile holds a visited page that is not bookmarked:
  // not the databases, the session files, the icons or the preferences.
  for (const std::string& site : kSites) {
    EXPECT_EQ(filesHolding(firefoxDir, "http://" + site), std::vector<std::string>{}) << site;
    EXPECT_EQ(filesHolding(chromiumData, "http://" + site), std::vector<std::string>{}) << site;
  }
  EXPECT_EQ(filesHolding(firefoxDir, kBookmarked), std::vector<std::string>{});
  // The session files that stay are whole sessions the browser can read.
  for (const auto& entry : fs::directory_iterator(firefoxDir + "/sessionstore-backups")) {
    const auto json = browsers::decompressMozLz4(testsupport::readFile(entry.path()));
    ASSERT_TRUE(json) << entry.path();
    EXPECT_NE(json->find("\"windows\":["), std::string::npos) << *json;
  }
  EXPECT_FALSE(filesHolding(chromiumData + "/Default/Bookmarks", kBookmarked).empty());
  EXPECT_EQ(column(places(), "SELECT fk FROM moz_bookmarks WHERE type = 1"), firefoxBookmarks);
  EXPECT_EQ(column(places(), "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
  EXPECT_TRUE(column(places(), "PRAGMA foreign_key_check").empty());
  EXPECT_EQ(column(chromiumHistory(), "PRAGMA integrity_check"), std::vector<std::string>{"ok"});

  // Both browsers open the same profiles again, without repairing them, and
  // record new visits; the bookmarks are still there.
  const std::string log = home_->str() + "/visits.log";
  ASSERT_EQ(runScript("bash '" + (kScripts / "visit_sites.sh").string() + "' '" + homePath() +
                      "' '" + log + "' beta.test >/dev/null 2>&1"),
            0);
  urls = listedUrls();
  EXPECT_EQ(std::count(urls.begin(), urls.end(), "http://beta.test/"), 2);
  EXPECT_EQ(std::count(urls.begin(), urls.end(), "http://alpha.test/"), 0);
  EXPECT_EQ(column(places(), "SELECT fk FROM moz_bookmarks WHERE type = 1"), firefoxBookmarks);
  EXPECT_FALSE(
      fs::exists(profile(browsers::BrowserFamily::Firefox).profileDir + "/places.sqlite.corrupt"));
  EXPECT_EQ(column(chromiumHistory(), "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
  EXPECT_FALSE(filesHolding(chromiumData + "/Default/Bookmarks", kBookmarked).empty());
  for (const char* store : {"Favicons", "Top Sites", "Shortcuts", "Network Action Predictor"}) {
    const std::string path = chromiumData + "/Default/" + store;
    if (fs::exists(path)) {
      EXPECT_EQ(column(path, "PRAGMA integrity_check"), std::vector<std::string>{"ok"}) << store;
    }
  }
  EXPECT_EQ(column(firefoxDir + "/favicons.sqlite", "PRAGMA integrity_check"),
            std::vector<std::string>{"ok"});
}
