// Site data goes with its site's cookies, on profiles that Debian's
// firefox-esr and chromium filled themselves (make_profiles.sh with
// RB_SITE_DATA=1: localStorage, sessionStorage, IndexedDB, Cache Storage and a
// service worker per site), a kept site's stays, and both browsers open the
// profiles afterwards. Skipped when the browsers are not installed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>

#include "browser_process.h"
#include "browsers/cookies/ascii_host_name.h"
#include "browsers/cookies/cookie_site.h"
#include "browsers/cookies/cookie_store.h"
#include "browsers/cookies/leveldb_store.h"
#include "browsers/cookies/profile_cookie_source.h"
#include "core/cookie_area.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using browsers::BrowserFamily;
using browsers::LabelledProfile;

const fs::path kScripts = fs::path(__FILE__).parent_path();
const std::vector<std::string> kGone = {"alpha.test", "gamma.test", "my_site.test"};
const std::string kKept = "beta.test";

// Where the families keep site data, below a profile: every file there is
// searched for the sites' names.
bool inSiteDataStore(const std::string& relative) {
  for (const char* store :
       {"storage/", "storage.sqlite", "serviceworker.txt", "webappsstore.sqlite", "IndexedDB/",
        "Local Storage/", "Session Storage/", "Service Worker/", "WebStorage/", "File System/"})
    if (relative.starts_with(store)) return true;
  return false;
}

// The files of the profile's site-data stores that name text (as bytes or
// UTF-16, as the stores write it).
std::vector<std::string> storesNaming(const std::string& profileDir, const std::string& text) {
  std::string wide;
  for (char c : text) wide += std::string{c, '\0'};
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(profileDir)) {
    if (entry.is_symlink() || !entry.is_regular_file()) continue;
    const std::string relative = fs::relative(entry.path(), profileDir).string();
    if (!inSiteDataStore(relative)) continue;
    const std::string bytes = testsupport::readFile(entry.path());
    if (bytes.find(text) != std::string::npos || bytes.find(wide) != std::string::npos)
      found.push_back(relative);
  }
  return found;
}

// "<browser> <host>" -> the Cookie header of the page's first request.
std::map<std::string, std::string> cookiesSent(const std::string& log) {
  std::ifstream in(log);
  std::map<std::string, std::string> sent;
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
      fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    if (fields.size() == 4 && fields[1] == "/")
      sent.emplace(fields[3] + " " + fields[0], fields[2]);
  }
  return sent;
}

// The keys of a Simple Cache folder's entries (the worker scripts' resource
// ids), from the header of each "<hash>_0" file.
std::set<std::string> simpleCacheKeys(const fs::path& folder) {
  std::set<std::string> keys;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (!entry.path().filename().string().ends_with("_0")) continue;
    const std::string bytes = testsupport::readFile(entry.path());
    if (bytes.size() < 24) continue;
    const auto length = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[12])) |
                        static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[13])) << 8;
    keys.insert(bytes.substr(24, length));
  }
  return keys;
}

class RealSiteData : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!testsupport::installed("firefox-esr") || !testsupport::installed("chromium")) return;
    home_ = std::make_unique<testsupport::TempDir>();
    made_ = testsupport::runScript("RB_SITE_DATA=1 bash '" +
                                   (kScripts / "make_profiles.sh").string() + "' '" + home_->str() +
                                   "/home' >'" + home_->str() + "/make.log' 2>&1");
  }
  static void TearDownTestSuite() { home_.reset(); }

  void SetUp() override {
    if (!home_ || made_ == 77) GTEST_SKIP() << "firefox-esr and chromium are not installed";
    ASSERT_EQ(made_, 0) << testsupport::readFile(home_->str() + "/make.log");
    for (const auto& [name, below] :
         std::vector<std::pair<const char*, const char*>>{{"HOME", ""},
                                                          {"XDG_CONFIG_HOME", "/.config"},
                                                          {"XDG_CACHE_HOME", "/.cache"},
                                                          {"XDG_DATA_HOME", "/.local/share"}})
      env_.push_back(std::make_unique<testsupport::EnvGuard>(name, homePath() + below));
    profiles_ = browsers::labelledProfiles(browsers::findBrowserProfiles());
    ASSERT_EQ(profiles_.size(), 2u);
  }

  static std::string homePath() { return home_->str() + "/home"; }

  const LabelledProfile& profile(BrowserFamily family) {
    return *std::find_if(profiles_.begin(), profiles_.end(),
                         [&](const LabelledProfile& p) { return p.profile.family == family; });
  }

  // "Clear all cookies" of one profile with kept.test's site on the keep
  // list: every site but the kept one goes, its cookies and its site data.
  void clearAllButTheKeptSite(BrowserFamily family) {
    const LabelledProfile& p = profile(family);
    for (const std::string& site : kGone)
      ASSERT_FALSE(storesNaming(p.profile.profileDir, site).empty()) << site << " stored nothing";
    ASSERT_FALSE(storesNaming(p.profile.profileDir, kKept).empty());

    browsers::ProfileCookieSource cookies;
    const core::CookieArea area(
        {&cookies},
        core::SiteKeeping{[] { return core::KeepList({kKept}); },
                          {[](const std::string& host) { return browsers::siteOfHost(host); },
                           [](const std::string& host) { return browsers::isPublicSuffix(host); },
                           browsers::asciiHostName}});
    const core::CookiePlan plan = area.plan();
    std::vector<std::size_t> chosen;
    for (std::size_t i = 0; i < plan.entries.size(); ++i)
      if (plan.entries[i].name.starts_with(p.label + "@")) chosen.push_back(i);
    ASSERT_EQ(chosen.size(), kGone.size() + 1);
    const platform::ClearOutcome outcome = area.apply(plan, chosen, {});

    EXPECT_TRUE(outcome.failures.empty())
        << outcome.failures.front().item << ": " << outcome.failures.front().reason;
    EXPECT_EQ(outcome.removed, static_cast<std::int64_t>(kGone.size()));
    ASSERT_EQ(outcome.kept.size(), 1u);
    EXPECT_EQ(outcome.kept.front().item, p.label + "@" + kKept);
    ASSERT_EQ(outcome.contents.size(), 2u);
    EXPECT_GT(outcome.contents[0].count, 0) << "cookies";
    EXPECT_GE(outcome.contents[1].count, static_cast<std::int64_t>(kGone.size()))
        << "items of site data";

    for (const std::string& site : kGone)
      EXPECT_EQ(storesNaming(p.profile.profileDir, site), std::vector<std::string>{}) << site;
    EXPECT_FALSE(storesNaming(p.profile.profileDir, kKept).empty());
    const browsers::CookieSites left = browsers::listCookieSites(p.profile);
    EXPECT_EQ(left.sites, std::vector<std::string>{kKept});
  }

  // Both browsers open the profiles again and browse: the kept site's
  // cookies are sent, the others' are not.
  void browseAgain(const char* browser) {
    const std::string log = home_->str() + "/visits-" + browser + ".log";
    ASSERT_EQ(testsupport::runScript("bash '" + (kScripts / "visit_sites.sh").string() + "' '" +
                                     homePath() + "' '" + log + "' " + kKept +
                                     " alpha.test >/dev/null 2>&1"),
              0);
    std::map<std::string, std::string> sent = cookiesSent(log);
    const std::string b = browser;
    ASSERT_TRUE(sent.contains(b + " " + kKept)) << browser << " did not browse";
    EXPECT_NE(sent[b + " " + kKept].find("visit_beta=1"), std::string::npos) << browser;
    ASSERT_TRUE(sent.contains(b + " alpha.test")) << browser;
    EXPECT_EQ(sent[b + " alpha.test"].find("alpha"), std::string::npos) << browser;
  }

  static inline std::unique_ptr<testsupport::TempDir> home_;
  static inline int made_ = -1;
  std::vector<std::unique_ptr<testsupport::EnvGuard>> env_;
  std::vector<LabelledProfile> profiles_;
};

}  // namespace

TEST_F(RealSiteData, FirefoxSiteDataGoesWithItsCookiesAndAKeptSitesStays) {
  clearAllButTheKeptSite(BrowserFamily::Firefox);
  const std::string dir = profile(BrowserFamily::Firefox).profile.profileDir;
  EXPECT_TRUE(fs::exists(dir + "/storage/default/http+++beta.test/ls/data.sqlite"));
  browseAgain("firefox");
  // The browser kept what it found: the kept site's localStorage is there.
  EXPECT_TRUE(fs::exists(dir + "/storage/default/http+++beta.test/ls/data.sqlite"));
}

TEST_F(RealSiteData, ChromiumSiteDataGoesWithItsCookiesAndAKeptSitesStays) {
  clearAllButTheKeptSite(BrowserFamily::Chromium);
  const std::string localStorage =
      profile(BrowserFamily::Chromium).profile.profileDir + "/Local Storage/leveldb";
  auto holdsKeptValue = [&] {
    const browsers::LevelDbRead read = browsers::readLevelDb(localStorage);
    EXPECT_EQ(read.problem, "");
    return std::any_of(read.records.begin(), read.records.end(), [](const auto& record) {
      return record.first.starts_with(std::string("_http://beta.test\0", 18)) &&
             record.first.ends_with("local_beta");
    });
  };
  EXPECT_TRUE(holdsKeptValue());
  // The removed sites' worker scripts went with their registrations: every
  // script left is one that the service-worker database still names.
  const std::string workers =
      profile(BrowserFamily::Chromium).profile.profileDir + "/Service Worker";
  const browsers::LevelDbRead database = browsers::readLevelDb(workers + "/Database");
  ASSERT_EQ(database.problem, "");
  std::set<std::string> named;  // "RES:<version>\0<resource id>"
  for (const auto& [key, value] : database.records)
    if (key.starts_with("RES:")) named.insert(key.substr(key.find('\0') + 1));
  const std::set<std::string> scripts = simpleCacheKeys(workers + "/ScriptCache");
  EXPECT_FALSE(scripts.empty()) << "the kept site's worker lost its script";
  EXPECT_EQ(scripts, named);
  browseAgain("chromium");
  // The browser opened the edited store and kept it.
  EXPECT_TRUE(holdsKeptValue());
}
