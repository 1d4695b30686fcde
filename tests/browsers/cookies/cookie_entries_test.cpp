// What an entry of the cookie list stands for is exactly what deleting it
// removes, in both families' real formats.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "cookie_databases.h"
#include "cookie_driver.h"
#include "fake_home.h"

using browsertest::CookieRow;
using browsertest::queryRows;
using browsertest::Removal;

namespace {

// Cookie name -> the site whose entry holds it.
const std::map<std::string, std::string> kSiteOf = {
    {"a1", "a.co.uk"},         {"a2", "a.co.uk"},        {"b1", "b.co.uk"},
    {"b2", "b.co.uk"},         {"e1", "example.com"},    {"e2", "example.com"},
    {"e3", "example.com"},     {"e4", "example.com"},    {"l1", "localhost"},
    {"l2", "alpha.localhost"}, {"l3", "beta.localhost"}, {"p1", "news.test"},
    {"p2", "embed.test"},      {"n1", "news.test"},      {"i1", "127.0.0.1"},
};

std::vector<CookieRow> rows(bool firefox) {
  const std::string underNews =
      firefox ? "^partitionKey=%28https%2Cnews.test%29" : "https://news.test";
  return {
      {"a.co.uk", "a1"},         {".www.a.co.uk", "a2"},     {".b.co.uk", "b1"},
      {"shop.b.co.uk", "b2"},    {"example.com", "e1"},      {".example.com", "e2"},
      {"www.example.com", "e3"}, {"mail.example.com", "e4"}, {"localhost", "l1"},
      {"alpha.localhost", "l2"}, {"beta.localhost", "l3"},   {"embed.test", "p1", "v", underNews},
      {"embed.test", "p2"},      {".news.test", "n1"},       {"127.0.0.1", "i1"}};
}

std::set<std::string> names(const std::vector<std::string>& values) {
  return {values.begin(), values.end()};
}

class CookieEntries : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (firefox()) {
      home.write(".mozilla/firefox/profiles.ini",
                 "[Profile0]\nName=default-esr\nIsRelative=1\nPath=p.default-esr\n");
      std::filesystem::create_directories(home.path(".mozilla/firefox/p.default-esr"));
      database = home.path(".mozilla/firefox/p.default-esr/cookies.sqlite");
      label = "firefox.default-esr";
    } else {
      home.write(".config/chromium/Default/Preferences", "{}");
      database = home.path(".config/chromium/Default/Cookies");
      label = "chromium.Default";
    }
    build();
  }
  bool firefox() const { return GetParam(); }
  void build() {
    std::filesystem::remove(database);
    if (firefox())
      browsertest::makeFirefoxCookies(database, 17, rows(true));
    else
      browsertest::makeChromiumCookies(database, rows(false));
  }
  std::set<std::string> cookieNames() {
    return names(queryRows(
        database, firefox() ? "SELECT name FROM moz_cookies" : "SELECT name FROM cookies"));
  }

  browsertest::FakeHome home;
  browsertest::CookieDriver cookies;
  std::string database, label;
};

}  // namespace

TEST_P(CookieEntries, EachEntryDeletesExactlyTheCookiesItStandsFor) {
  std::set<std::string> listed;
  for (const std::string& name : cookies.list()) {
    ASSERT_EQ(name.rfind(label + "@", 0), 0u) << name;
    listed.insert(name.substr(label.size() + 1));
  }
  std::set<std::string> expected;
  for (const auto& [name, site] : kSiteOf) expected.insert(site);
  EXPECT_EQ(listed, expected);

  for (const std::string& site : listed) {
    build();
    const std::string entry = label + "@" + site;
    EXPECT_EQ(cookies.remove(entry), Removal::Gone) << site;
    EXPECT_EQ(cookies.location(entry), database);
    std::set<std::string> left;
    for (const auto& [name, owner] : kSiteOf)
      if (owner != site) left.insert(name);
    EXPECT_EQ(cookieNames(), left) << site;
    EXPECT_EQ(cookies.remove(entry), Removal::NotThere) << site;  // nothing of it is left
  }
}

TEST_P(CookieEntries, ManyEntriesGoInOneBatchAndARunningBrowserIsNamed) {
  std::vector<std::string> names;
  for (const char* site : {"a.co.uk", "example.com", "news.test", "nowhere.test"})
    names.push_back(label + "@" + site);
  {
    // The running browser: nothing changes, every entry is a failure that
    // names the browser and its profile.
    std::unique_ptr<browsertest::LockHolder> firefoxRuns;
    if (firefox()) {
      home.write(".mozilla/firefox/p.default-esr/.parentlock", "");
      firefoxRuns = std::make_unique<browsertest::LockHolder>(
          home.path(".mozilla/firefox/p.default-esr/.parentlock"));
    } else {
      char host[256] = {};
      gethostname(host, sizeof host - 1);
      std::filesystem::create_symlink(std::string(host) + "-" + std::to_string(getpid()),
                                      home.path(".config/chromium/SingletonLock"));
    }
    cookies.list();
    const platform::ClearOutcome outcome = cookies.remove(names);
    EXPECT_EQ(outcome.removed, 0);
    ASSERT_EQ(outcome.failures.size(), 3u);  // nowhere.test is no entry at all
    EXPECT_EQ(outcome.failures[0].item, label + "@a.co.uk");
    EXPECT_EQ(outcome.failures[0].reason, firefox() ? "Firefox (profile default-esr) is running"
                                                    : "Chromium (profile Default) is running");
    EXPECT_EQ(cookieNames().size(), kSiteOf.size());
    if (!firefox()) std::filesystem::remove(home.path(".config/chromium/SingletonLock"));
  }
  std::vector<std::pair<std::int64_t, std::int64_t>> progress;
  cookies.list();
  std::vector<std::size_t> chosen;
  for (std::size_t k = 0; k < cookies.plan.entries.size(); ++k)
    if (std::find(names.begin(), names.end(), cookies.plan.entries[k].name) != names.end())
      chosen.push_back(k);
  std::vector<bool> gone;
  const platform::ClearOutcome outcome = cookies.area.apply(
      cookies.plan, chosen, {},
      [&](std::int64_t done, std::int64_t total) {
        progress.push_back({done, total});
      },
      &gone);
  EXPECT_EQ(gone, (std::vector<bool>{true, true, true}));
  EXPECT_EQ(outcome.removed, 3);
  EXPECT_TRUE(outcome.ok());
  EXPECT_EQ(cookieNames(), (std::set<std::string>{"b1", "b2", "l1", "l2", "l3", "p2", "i1"}));
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back(), std::make_pair(std::int64_t{3}, std::int64_t{3}));
  EXPECT_EQ(queryRows(database, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
}

INSTANTIATE_TEST_SUITE_P(BothFamilies, CookieEntries, ::testing::Values(true, false),
                         [](const auto& param) { return param.param ? "Firefox" : "Chromium"; });
