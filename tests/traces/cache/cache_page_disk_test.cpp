// The Cache page over real entry files of both browsers in a temporary folder.
#include <gtest/gtest.h>

#include <algorithm>

#include "../../browsers/cache/cache_files.h"
#include "browsers/cache/profile_cache_source.h"
#include "forms/fake/fake_platform.h"
#include "platform/linux/files/linux_file_layer.h"
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
  forms::fake::FakePlatform fake;
  forms::Platform platform = fake.platform();
  browsers::ProfileCacheSource cache{fake.files, profiles.both(),
                                     [](const browsers::BrowserProfile&) { return false; }};
  forms::Form frmmain{"frmmain"};
  forms::StatusBar sbar{"sbar", 2};
  traces::CachePage page{platform, forms::PageHost{frmmain, sbar}, nullptr, {&cache}};
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

namespace {

// The real overwrite session, which also reads each file back when its
// overwrite is done, before the cache removes it.
class ReadBackLayer : public platform::fake::FakeFileLayer {
 public:
  struct Target : platform::OverwriteTarget {
    Target(std::unique_ptr<platform::OverwriteTarget> real, std::string path,
           std::vector<std::string>& seen)
        : real_(std::move(real)), path_(std::move(path)), seen_(seen) {}
    int length(std::int64_t& bytes) override { return real_->length(bytes); }
    int writeAt(std::int64_t offset, const unsigned char* data, std::size_t size) override {
      return real_->writeAt(offset, data, size);
    }
    int syncData() override { return real_->syncData(); }
    void close() override {
      real_->close();
      seen_.push_back(testsupport::readFile(path_));
    }
    int remove() override { return real_->remove(); }
    std::unique_ptr<platform::OverwriteTarget> real_;
    std::string path_;
    std::vector<std::string>& seen_;
  };
  struct Session : platform::OverwriteSession {
    Session(std::unique_ptr<platform::OverwriteSession> real, std::vector<std::string>& seen)
        : real_(std::move(real)), seen_(seen) {}
    platform::OverwriteOpen open(const std::string& path) override {
      platform::OverwriteOpen opened = real_->open(path);
      if (opened.target)
        opened.target = std::make_unique<Target>(std::move(opened.target), path, seen_);
      return opened;
    }
    int syncAll() override { return real_->syncAll(); }
    std::unique_ptr<platform::OverwriteSession> real_;
    std::vector<std::string>& seen_;
  };
  std::unique_ptr<platform::OverwriteSession> beginOverwrite(
      const platform::OverwriteOptions& options) override {
    return std::make_unique<Session>(real.beginOverwrite(options), seen);
  }
  platform::linux_os::LinuxFileLayer real;
  std::vector<std::string> seen;  // each overwritten file's bytes, just before removal
};

}  // namespace

TEST_F(CachePageOnDiskTest, SecureWipeOfOtherAreasOverwritesEntryFilesBeforeRemoval) {
  ReadBackLayer files;
  browsers::ProfileCacheSource overwriting{files, profiles.both(),
                                           [](const browsers::BrowserProfile&) { return false; }};
  forms::CheckBox secureForAll{"chkSecureForAll"};
  traces::CachePage securePage{
      platform, forms::PageHost{frmmain, sbar}, &secureForAll, {&overwriting}};
  profiles.addFirefox(":http://plain.example/");
  securePage.loadCacheContents();
  securePage.cmdDelAllFromCache_Click();
  EXPECT_TRUE(files.seen.empty());  // unticked: only removed
  EXPECT_TRUE(fs::is_empty(profiles.cache2() / "entries"));

  secureForAll.setValue(1);
  profiles.addFirefox(":http://secret.example/");
  profiles.addChromium("https://secret.example/app.js", true);
  securePage.loadCacheContents();
  securePage.cmdDelAllFromCache_Click();
  EXPECT_EQ(securePage.List1.ListCount(), 0);
  ASSERT_GE(files.seen.size(), 3u);  // the Firefox entry, Chromium's _0 and _1
  for (const std::string& bytes : files.seen) {
    EXPECT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.find_first_not_of('\x01'), std::string::npos);
  }
  EXPECT_TRUE(fs::is_empty(profiles.cache2() / "entries"));
  EXPECT_TRUE(fake.msgbox.shown.empty());
}

// What a preview names is what the clearing removes, entries too damaged to
// be listed included; the preview itself removes nothing.
TEST_F(CachePageOnDiskTest, PreviewNamesWhatTheClearingRemovesDamagedEntriesToo) {
  profiles.addFirefox(":http://ff.example/");
  profiles.addChromium("https://cr.example/app.js", true);
  const fs::path cut =
      profiles.cache2() / "entries" / cachefiles::firefoxFileName(":http://cut.example/");
  const std::string whole = cachefiles::firefoxEntry(":http://cut.example/");
  cachefiles::writeFile(cut, whole.substr(0, whole.size() - 9));  // ends mid-record
  page.chkDelCachedPasswords.setValue(1);
  page.loadCacheContents();
  ASSERT_EQ(page.List1.ListCount(), 2);

  platform::ClearOutcome preview = page.previewDeletecache();
  EXPECT_TRUE(fs::exists(cut));
  platform::ClearOutcome run;
  page.deletecache(&run);
  EXPECT_FALSE(fs::exists(cut));

  EXPECT_EQ(preview.removed, 3);
  EXPECT_EQ(run.removed, preview.removed);
  EXPECT_EQ(run.bytes, preview.bytes);
  std::sort(preview.items.begin(), preview.items.end());
  std::sort(run.items.begin(), run.items.end());
  EXPECT_EQ(run.items, preview.items);
  EXPECT_EQ(std::count_if(run.items.begin(), run.items.end(),
                          [&cut](const std::string& item) {
                            return item.starts_with("damaged cache entry " + cut.string());
                          }),
            1);
  EXPECT_TRUE(run.ok() && preview.ok());
}
