// The cookie services on profiles that Debian's firefox-esr and chromium made
// themselves (make_profiles.sh). Skipped when the browsers are not installed
// (scripts/debian-packages-browsers.txt).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "browser_process.h"
#include "browsers/cookies/cookie_store.h"
#include "browsers/cookies/profile_cookie_source.h"
#include "browsers/formats/sqlite_copy.h"
#include "forms/fake/fake_platform.h"
#include "temp_dir.h"
#include "traces/cookies_page.h"

namespace {

namespace fs = std::filesystem;
using browsers::BrowserFamily;
using browsers::LabelledProfile;
using testsupport::installed;
using testsupport::RunningBrowser;
using testsupport::runScript;

const fs::path kScripts = fs::path(__FILE__).parent_path();
// The sites the Cookies page lists: the visited www.gamma.test sets cookies for
// itself and for gamma.test, all of them inside the one site gamma.test.
const std::vector<std::string> kSites = {"alpha.test", "beta.test", "gamma.test", "my_site.test"};

// Every row of a table, read from a private copy (the browser may hold it).
std::vector<std::string> cookieRows(const std::string& database, const std::string& sql) {
  std::vector<std::string> rows;
  auto copy = browsers::SqliteCopy::open(database);
  if (!copy) return rows;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(copy->db(), sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) return rows;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    std::string row;
    for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
      const void* blob = sqlite3_column_blob(stmt, i);
      if (blob) row.append(static_cast<const char*>(blob), sqlite3_column_bytes(stmt, i));
      row += "|";
    }
    rows.push_back(row);
  }
  sqlite3_finalize(stmt);
  return rows;
}

std::string rowsSql(browsers::BrowserFamily family) {
  return family == browsers::BrowserFamily::Firefox
             ? "SELECT host, name, value, path, expiry, originAttributes FROM moz_cookies "
               "ORDER BY host, name"
             : "SELECT host_key, name, encrypted_value, path, expires_utc, top_frame_site_key "
               "FROM cookies ORDER BY host_key, name";
}

// A browser started on a profile and left running, as a user would.

class RealBrowsers : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!installed("firefox-esr") || !installed("chromium")) return;
    home_ = std::make_unique<testsupport::TempDir>();
    made_ = runScript("bash '" + (kScripts / "make_profiles.sh").string() + "' '" + home_->str() +
                      "/home' >'" + home_->str() + "/make.log' 2>&1");
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
    env_.push_back(
        std::make_unique<testsupport::EnvGuard>("XDG_DATA_HOME", homePath() + "/.local/share"));
    profiles_ = browsers::labelledProfiles(browsers::findBrowserProfiles());
    ASSERT_EQ(profiles_.size(), 2u);
  }

  static std::string homePath() { return home_->str() + "/home"; }

  const LabelledProfile& profile(browsers::BrowserFamily family) {
    return *std::find_if(profiles_.begin(), profiles_.end(),
                         [&](const LabelledProfile& p) { return p.profile.family == family; });
  }
  std::vector<std::string> rows(browsers::BrowserFamily family) {
    const auto& p = profile(family).profile;
    return cookieRows(browsers::cookieDatabasePath(p), rowsSql(family));
  }
  std::vector<std::string> listed() {
    page.loadCookiesList();
    std::vector<std::string> names;
    for (const forms::ListItem& item : page.lstcookies.Items()) names.push_back(item.Text);
    return names;
  }
  // Asks the page to delete these entries, as a user selecting them would.
  void deleteEntries(const std::vector<std::string>& names) {
    page.loadCookiesList();
    for (std::int64_t i = 1; i <= page.lstcookies.Count(); ++i) {
      const std::string& text = page.lstcookies.Item(i).Text;
      page.lstcookies.setSelected(i, std::find(names.begin(), names.end(), text) != names.end());
    }
    page.cmddelcookies_Click();
  }
  bool waitUntilRunning(browsers::BrowserFamily family) {
    for (int i = 0; i < 300; ++i) {
      if (browsers::browserRunning(profile(family).profile)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

  static inline std::unique_ptr<testsupport::TempDir> home_;
  static inline int made_ = -1;
  std::vector<std::unique_ptr<testsupport::EnvGuard>> env_;
  std::vector<LabelledProfile> profiles_;
  forms::fake::FakePlatform f;
  browsers::ProfileCookieSource cookies;
  forms::Form form{"frmmain"};
  forms::StatusBar sbar{"sbar", 2};
  forms::Platform platform{f.platform()};
  bool showIndexDat = true;
  forms::CheckBox chkSecureForAll{"chkSecureForAll"};
  traces::CookiesPage page{platform, forms::PageHost{form, sbar}, showIndexDat, chkSecureForAll,
                           core::Stores{.cookies = {&cookies}}};
};

}  // namespace

TEST_F(RealBrowsers, ThePageListsEverySiteOfEveryProfile) {
  auto names = listed();
  for (const LabelledProfile& p : profiles_)
    for (const std::string& site : kSites)
      EXPECT_EQ(std::count(names.begin(), names.end(), p.label + "@" + site), 1)
          << p.label << "@" << site;
  EXPECT_EQ(names.size(), profiles_.size() * kSites.size());
  EXPECT_TRUE(f.msgbox.shown.empty());
}

TEST_F(RealBrowsers, WhileABrowserRunsItsEntriesStayAndNothingChanges) {
  const std::string data = homePath() + "/.config/chromium";
  const std::vector<std::pair<browsers::BrowserFamily, std::vector<std::string>>> runs = {
      {browsers::BrowserFamily::Firefox,
       {"firefox-esr", "--headless", "-P", "tracesweep", "about:blank"}},
      {browsers::BrowserFamily::Chromium,
       {"chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
        "--password-store=basic", "--user-data-dir=" + data, "about:blank"}}};
  for (const auto& [family, args] : runs) {
    const std::string entry = profile(family).label + "@beta.test";
    const auto before = rows(family);
    {
      RunningBrowser browser(args);
      ASSERT_TRUE(waitUntilRunning(family)) << args[0];
      deleteEntries({entry});
      auto names = listed();
      EXPECT_EQ(std::count(names.begin(), names.end(), entry), 1) << entry;
    }
    EXPECT_FALSE(browsers::browserRunning(profile(family).profile));
    // The browser may have rewritten its own cookies on exit; ours took none.
    auto after = rows(family);
    EXPECT_EQ(std::count_if(after.begin(), after.end(),
                            [](const std::string& r) {
                              return r.find("beta.test|") == 0 || r.find(".beta.test|") == 0;
                            }),
              std::count_if(before.begin(), before.end(), [](const std::string& r) {
                return r.find("beta.test|") == 0 || r.find(".beta.test|") == 0;
              }));
  }
}

TEST_F(RealBrowsers, DeletingOneSiteRemovesOnlyItsCookiesAndTheBrowsersStillWork) {
  const auto firefoxBefore = rows(browsers::BrowserFamily::Firefox);
  const auto chromiumBefore = rows(browsers::BrowserFamily::Chromium);
  const std::string places =
      profile(browsers::BrowserFamily::Firefox).profile.profileDir + "/places.sqlite";
  const auto bookmarksBefore = cookieRows(places, "SELECT count(*) FROM moz_bookmarks");
  deleteEntries({profile(browsers::BrowserFamily::Firefox).label + "@alpha.test",
                 profile(browsers::BrowserFamily::Chromium).label + "@alpha.test"});

  auto isAlpha = [](const std::string& r) {
    return r.find("alpha.test|") == 0 || r.find(".alpha.test|") == 0;
  };
  for (auto [family, before] : {std::pair{browsers::BrowserFamily::Firefox, firefoxBefore},
                                std::pair{browsers::BrowserFamily::Chromium, chromiumBefore}}) {
    ASSERT_GT(std::count_if(before.begin(), before.end(), isAlpha), 0);
    before.erase(std::remove_if(before.begin(), before.end(), isAlpha), before.end());
    EXPECT_EQ(rows(family), before);
  }
  auto names = listed();
  EXPECT_EQ(names.size(), profiles_.size() * (kSites.size() - 1));

  // Both browsers open the same profiles again and still send the other
  // sites' cookies, and nothing of the deleted one.
  const std::string log = home_->str() + "/visits.log";
  ASSERT_EQ(runScript("bash '" + (kScripts / "visit_sites.sh").string() + "' '" + homePath() +
                      "' '" + log + "' beta.test alpha.test >/dev/null 2>&1"),
            0);
  std::ifstream in(log);
  std::map<std::string, std::string> sent;  // "<browser> <host>" -> Cookie of the page request
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
      fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    if (fields.size() == 4 && fields[1] == "/" && !sent.contains(fields[3] + " " + fields[0]))
      sent[fields[3] + " " + fields[0]] = fields[2];
  }
  for (const char* browser : {"firefox", "chromium"}) {
    const std::string b = browser;
    ASSERT_TRUE(sent.contains(b + " beta.test")) << browser;
    EXPECT_NE(sent[b + " beta.test"].find("visit_beta=1"), std::string::npos) << browser;
    ASSERT_TRUE(sent.contains(b + " alpha.test")) << browser;
    EXPECT_EQ(sent[b + " alpha.test"].find("alpha"), std::string::npos) << browser;
  }
  EXPECT_EQ(cookieRows(places, "SELECT count(*) FROM moz_bookmarks"), bookmarksBefore);
  EXPECT_NE(testsupport::readFile(profile(browsers::BrowserFamily::Chromium).profile.profileDir +
                                  "/Bookmarks")
                .find("http://kept.test/"),
            std::string::npos);
}
