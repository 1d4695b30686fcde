// The Cache page over real entry files of both browsers in a temporary folder.
#include <gtest/gtest.h>

#include <algorithm>

#include "../../platform/cache/cache_files.h"
#include "platform/fake/fake_platform.h"
#include "platform/linux/cache/linux_url_cache.h"
#include "temp_dir.h"
#include "traces/cache_page.h"

namespace fs = std::filesystem;

namespace {

class CachePageOnDiskTest : public ::testing::Test {
 protected:
  std::vector<std::string> sortedList() const {
    auto items = page.List1.Items();
    std::sort(items.begin(), items.end());
    return items;
  }

  testsupport::TempDir tmp;
  cachefiles::TwoProfiles profiles{tmp.path()};
  platform::linux_os::LinuxUrlCache cache{
      profiles.both(), [](const platform::linux_os::BrowserProfile&) { return false; }};
  platform::fake::FakePlatform fake;
  platform::Platform platform{fake.files,   fake.registry, fake.settings, cache,
                              fake.history, fake.trash,    fake.shell,    fake.downloader,
                              fake.process, fake.msgbox,   fake.dialogs,  fake.windows,
                              fake.tray};
  forms::Form frmmain{"frmmain"};
  forms::StatusBar sbar{"sbar", 2};
  traces::CachePage page{platform, forms::PageHost{frmmain, sbar}};
};

}  // namespace

TEST_F(CachePageOnDiskTest, ClearCacheEmptiesBothCachesButTheCookieEntries) {
  profiles.addFirefox(":http://ff.example/", 1);
  profiles.addFirefox("O^partitionKey=%28https%2Cexample.org%29,a,:https://ff.example/Cookie");
  profiles.addFirefoxDoomed(":http://doomed.example/", "777");
  profiles.addChromium("https://cr.example/app.js", true);
  profiles.addChromium("https://cr.example/Cookie.png");
  const fs::path chromiumIndex = profiles.cacheData() / "index";
  cachefiles::writeFile(chromiumIndex, "index");

  page.loadCacheContents();
  EXPECT_EQ(page.List1.ListCount(), 5);
  page.cmdDelAllFromCache_Click();
  EXPECT_EQ(sortedList(), (std::vector<std::string>{"https://cr.example/Cookie.png",
                                                    "https://ff.example/Cookie"}));
  EXPECT_TRUE(fs::exists(chromiumIndex));

  page.chkDelCachedPasswords.setValue(1);
  page.cmdDelAllFromCache_Click();
  EXPECT_EQ(page.List1.ListCount(), 0);
  EXPECT_TRUE(fs::is_empty(profiles.cache2() / "entries"));
  EXPECT_TRUE(fs::is_empty(profiles.cache2() / "doomed"));
}
