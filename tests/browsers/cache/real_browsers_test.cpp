// The caches that Debian's firefox-esr and chromium write themselves
// (tests/real_browsers/make_profiles.sh), listed and cleared. Skipped when the
// browsers are not installed.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include "browsers/cache/profile_cache_source.h"
#include "platform/linux/files/linux_file_layer.h"
#include "temp_dir.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {

const char* const kSites[] = {"alpha.test", "beta.test", "www.gamma.test"};

std::vector<std::string> listAll(browsers::ProfileCacheSource& cache) {
  std::vector<std::string> names;
  for (const core::CacheEntry& entry : core::CacheArea({&cache}).plan().entries)
    names.push_back(entry.url);
  return names;
}

std::size_t filesIn(const fs::path& folder) {
  std::error_code ec;
  std::size_t n = 0;
  for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); ++it)
    ++n;
  return n;
}

// One set of real profiles for the whole program: the browsers take a while.
class RealBrowserCaches : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    home_ = new testsupport::TempDir();
    const fs::path script =
        fs::path(__FILE__).parent_path() / "../../real_browsers/make_profiles.sh";
    std::string command = "bash '" + script.string() + "' '" + home_->str() + "/home'";
    for (const char* site : kSites) command += std::string(" ") + site;
    command += " > '" + home_->str() + "/make_profiles.log' 2>&1";
    const int status = std::system(command.c_str());
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  static void TearDownTestSuite() {
    delete home_;
    home_ = nullptr;
  }
  void SetUp() override {
    if (exitCode_ == 77) GTEST_SKIP() << "firefox-esr or chromium is not installed";
    ASSERT_EQ(exitCode_, 0) << "make_profiles.sh failed; see its log in " << home_->str();
  }

  std::string home() const { return home_->str() + "/home"; }

  static testsupport::TempDir* home_;
  static int exitCode_;
};

testsupport::TempDir* RealBrowserCaches::home_ = nullptr;
int RealBrowserCaches::exitCode_ = -1;

}  // namespace

TEST_F(RealBrowserCaches, EveryVisitedPageAndItsResourcesAreListedForBothBrowsers) {
  testsupport::EnvGuard homeVar("HOME", home());
  testsupport::EnvGuard config("XDG_CONFIG_HOME", home() + "/.config");
  testsupport::EnvGuard cacheVar("XDG_CACHE_HOME", home() + "/.cache");
  const auto profiles = browsers::findBrowserProfiles();
  ASSERT_EQ(profiles.size(), 2u);
  linux_os::LinuxFileLayer files;
  for (const auto& profile : profiles) {
    browsers::ProfileCacheSource cache(files, {profile});
    const auto listed = listAll(cache);
    const std::set<std::string> urls(listed.begin(), listed.end());
    for (const char* site : kSites) {
      for (const char* path : {"/", "/app.js", "/pixel.gif"}) {
        const std::string url = std::string("http://") + site + path;
        EXPECT_TRUE(urls.count(url)) << url << " in " << browsers::displayName(profile);
      }
    }
    for (const auto& url : listed) EXPECT_TRUE(url.starts_with("http")) << url;
  }
}

TEST_F(RealBrowserCaches, DeletingEveryListedEntryEmptiesBothCachesAndDropsTheirIndexes) {
  testsupport::EnvGuard homeVar("HOME", home());
  testsupport::EnvGuard config("XDG_CONFIG_HOME", home() + "/.config");
  testsupport::EnvGuard cacheVar("XDG_CACHE_HOME", home() + "/.cache");
  linux_os::LinuxFileLayer files;
  browsers::ProfileCacheSource cache(files);  // the user's profiles, found from the environment
  const core::CacheArea area({&cache});
  const core::CachePlan plan = area.plan();
  ASSERT_FALSE(plan.entries.empty());
  std::vector<std::size_t> all(plan.entries.size());
  for (std::size_t k = 0; k < all.size(); ++k) all[k] = k;
  const ClearOutcome outcome = area.apply(plan, all, core::CacheOptions{true, false}, true);
  EXPECT_TRUE(outcome.ok());
  EXPECT_TRUE(listAll(cache).empty());

  for (const auto& profile : browsers::findBrowserProfiles()) {
    if (profile.family == browsers::BrowserFamily::Firefox) {
      const fs::path cache2 = fs::path(profile.cacheDir) / "cache2";
      EXPECT_FALSE(fs::exists(cache2 / "index"));
    } else {
      const fs::path data = fs::path(profile.cacheDir) / "Cache/Cache_Data";
      EXPECT_TRUE(fs::exists(data / "index"));
      EXPECT_FALSE(fs::exists(data / "index-dir/the-real-index"));
      EXPECT_EQ(filesIn(data), 2u);  // index and index-dir
    }
  }
}
