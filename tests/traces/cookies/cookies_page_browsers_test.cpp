// The Cookies page over real Firefox and Chromium cookie databases, through
// the browsers' cookie source: where the cookies are, and what a running
// browser leaves and says.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "browsers/cookies/profile_cookie_source.h"
#include "cookie_databases.h"
#include "fake_home.h"
#include "forms/fake/fake_platform.h"
#include "identity.h"
#include "traces/cookies_page.h"

namespace {

class CookiesPageOverBrowsers : public ::testing::Test {
 protected:
  void SetUp() override {
    home.write(".mozilla/firefox/profiles.ini",
               "[Profile0]\nName=default-esr\nIsRelative=1\nPath=p.default-esr\n");
    std::filesystem::create_directories(home.path(".mozilla/firefox/p.default-esr"));
    browsertest::makeFirefoxCookies(
        firefoxDb(), 17,
        {{".example.com", "a"}, {"www.example.com", "b"}, {"a.co.uk", "c"}, {"b.co.uk", "d"}});
    home.write(".config/chromium/Default/Preferences", "{}");
    browsertest::makeChromiumCookies(chromiumDb(), {{".news.test", "n"}, {"mail.news.test", "m"}});
    sbar.setChangeListener([this] {
      if (sbar.ProgressMax() > 0) progress.push_back({sbar.ProgressValue(), sbar.ProgressMax()});
    });
  }
  std::string firefoxDb() const {
    return home.path(".mozilla/firefox/p.default-esr/cookies.sqlite");
  }
  std::string chromiumDb() const { return home.path(".config/chromium/Default/Cookies"); }
  std::vector<std::string> texts() {
    std::vector<std::string> out;
    for (const forms::ListItem& item : page.lstcookies.Items()) out.push_back(item.Text);
    return out;
  }

  browsertest::FakeHome home;
  forms::fake::FakePlatform f;
  browsers::ProfileCookieSource cookies;
  forms::Form form{"frmmain"};
  forms::StatusBar sbar{"sbar", 2};
  forms::Platform platform{f.platform()};
  bool showIndexDat = true;
  forms::CheckBox chkSecureForAll{"chkSecureForAll"};
  traces::CookiesPage page{platform, forms::PageHost{form, sbar}, showIndexDat, chkSecureForAll,
                           core::Stores{.cookies = {&cookies}}};
  std::vector<std::pair<std::int64_t, std::int64_t>> progress;
};

}  // namespace

TEST_F(CookiesPageOverBrowsers, ARunningBrowserIsNamedAndItsCookiesStayTheOthersGo) {
  page.loadCookiesList();
  ASSERT_EQ(texts(), (std::vector<std::string>{
                         "firefox.default-esr@example.com", "firefox.default-esr@a.co.uk",
                         "firefox.default-esr@b.co.uk", "chromium.Default@news.test"}));
  // The Cookie Path column names the database that holds the cookies.
  EXPECT_EQ(page.lstcookies.Item(1).SubItems[0], firefoxDb());
  EXPECT_EQ(page.lstcookies.Item(4).SubItems[0], chromiumDb());

  {
    browsertest::LockHolder firefox(home.path(".mozilla/firefox/p.default-esr/.parentlock"));
    page.cmdselectallcookies_Click();
    page.cmddelcookies_Click();
    ASSERT_EQ(f.msgbox.shown.size(), 2u);  // the question, then what was left
    EXPECT_EQ(f.msgbox.shown[1].text,
              "The cookies of 3 sites were not deleted:\n\n"
              "Firefox (profile default-esr) is running (3 sites).\n\n"
              "Please close the browser and try again.");
    EXPECT_EQ(f.msgbox.shown[1].style, forms::vbOKOnly | forms::vbExclamation);
    EXPECT_EQ(f.msgbox.shown[1].caption, identity::kAppTitle);
    EXPECT_EQ(texts(), (std::vector<std::string>{"firefox.default-esr@example.com",
                                                 "firefox.default-esr@a.co.uk",
                                                 "firefox.default-esr@b.co.uk"}));
    EXPECT_EQ(browsertest::queryRows(firefoxDb(), "SELECT count(*) FROM moz_cookies"),
              std::vector<std::string>{"4"});
    EXPECT_TRUE(browsertest::queryRows(chromiumDb(), "SELECT name FROM cookies").empty());
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back().first, progress.back().second);
    EXPECT_EQ(sbar.ProgressMax(), 0);

    // The automatic run says nothing; its outcome holds the reasons.
    platform::ClearOutcome outcome;
    page.deletecookies(false, &outcome);
    EXPECT_EQ(f.msgbox.shown.size(), 2u);
    ASSERT_EQ(outcome.failures.size(), 3u);
    EXPECT_EQ(outcome.failures[0].reason, "Firefox (profile default-esr) is running");
  }
  // Closed: one entry (a.co.uk) takes its own cookie, not its neighbour's.
  page.loadCookiesList();
  for (std::int64_t i = 1; i <= page.lstcookies.Count(); ++i)
    page.lstcookies.setSelected(i, page.lstcookies.Item(i).Text == "firefox.default-esr@a.co.uk");
  page.cmddelcookies_Click();
  EXPECT_EQ(f.msgbox.shown.size(), 3u);  // only the question
  EXPECT_EQ(browsertest::queryRows(firefoxDb(), "SELECT name FROM moz_cookies ORDER BY name"),
            (std::vector<std::string>{"a", "b", "d"}));
}
