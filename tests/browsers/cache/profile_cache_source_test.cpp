// The browsers' caches as a source of the cache area, over entry files built
// in a temporary folder: the listing of both formats and deletion by URL and
// browser.
#include "browsers/cache/profile_cache_source.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <vector>

#include "cache_files.h"
#include "platform/linux/files/linux_file_layer.h"
#include "temp_dir.h"

using browsers::ProfileCacheSource;
using platform::ClearOutcome;
namespace fs = std::filesystem;

namespace {

// Every URL the source lists, sorted.
std::vector<std::string> listAll(ProfileCacheSource& source) {
  std::vector<std::string> names;
  for (const core::CacheEntry& entry : core::CacheArea({&source}).plan().entries)
    names.push_back(entry.url);
  std::sort(names.begin(), names.end());
  return names;
}

// Deletes the lines of url (of browser alone when given): the outcome.
ClearOutcome deleteUrl(ProfileCacheSource& source, const std::string& url,
                       const std::string& browser = {}) {
  core::CachePlan plan;
  plan.entries.push_back({url, browser, 0});
  return core::CacheArea({&source}).apply(plan, {0}, core::CacheOptions{true, false}, false);
}

std::map<std::string, std::string> allFiles(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) files[e.path().string()] = testsupport::readFile(e.path());
  return files;
}

bool noneRun(const browsers::BrowserProfile&) {
  return false;
}

class ProfileCacheSourceTest : public ::testing::Test {
 protected:
  testsupport::TempDir tmp;
  cachefiles::TwoProfiles profiles{tmp.path()};
  platform::linux_os::LinuxFileLayer files;
};

}  // namespace

TEST_F(ProfileCacheSourceTest, ListsEveryHttpEntryOfBothFormatsAndNothingElse) {
  profiles.addFirefox(":http://v4.example/");
  profiles.addFirefox("a,:https://anon.example/", 1);
  profiles.addFirefox("O^partitionKey=%28http%2C127.0.0.1%29,a,:http://127.0.0.1:8765/app.js");
  profiles.addFirefox(":about:home");
  profiles.addFirefoxDoomed(":http://doomed.example/", "1234567");
  profiles.addChromium("http://127.0.0.1:8765/page2.html", true);
  profiles.addChromium("https://c.example/Cookie.js");
  // What is not an entry: index files, garbage, a doomed Chromium file, links.
  cachefiles::writeFile(profiles.cache2() / "index", std::string(64, '\0'));
  cachefiles::writeFile(profiles.cache2() / "entries" / "0000", "garbage");
  cachefiles::writeFile(profiles.cacheData() / "index", "index magic");
  cachefiles::writeFile(profiles.cacheData() / "todelete_0123456789abcdef_0_1",
                        cachefiles::chromiumEntry0(cachefiles::chromiumKey("http://gone/")));
  fs::create_symlink(
      profiles.cache2() / "entries" / cachefiles::firefoxFileName(":http://v4.example/"),
      profiles.cache2() / "entries" / "LINK");
  fs::create_directories(profiles.cacheData() / "index-dir");
  // A FIFO must not hang the listing.
  ASSERT_EQ(mkfifo((profiles.cache2() / "entries" / "FIFO").c_str(), 0600), 0);

  ProfileCacheSource cache(files, profiles.both(), noneRun);
  EXPECT_EQ(listAll(cache), (std::vector<std::string>{
                                "http://127.0.0.1:8765/app.js", "http://127.0.0.1:8765/page2.html",
                                "http://doomed.example/", "http://v4.example/",
                                "https://anon.example/", "https://c.example/Cookie.js"}));
}

TEST_F(ProfileCacheSourceTest, ProfilesAreAskedForAtEveryListing) {
  int asked = 0;
  ProfileCacheSource cache(
      files,
      [&] {
        ++asked;
        return browsers::ProfileSearch{profiles.both(), {}};
      },
      noneRun);
  profiles.addFirefox(":http://late.example/");
  EXPECT_EQ(listAll(cache), std::vector<std::string>{"http://late.example/"});
  EXPECT_EQ(asked, 1);
  listAll(cache);
  EXPECT_EQ(asked, 2);
}

TEST_F(ProfileCacheSourceTest, DeletingAFirefoxEntryRemovesItsFileAndTheStaleIndex) {
  const auto victim = profiles.addFirefox("a,:http://victim.example/");
  const auto doomed = profiles.addFirefoxDoomed(":http://victim.example/", "99");
  profiles.addFirefox(":http://keep.example/");
  profiles.addChromium("http://victim-not.example/", true);
  for (const char* name : {"index", "index.log", "index.tmp"})
    cachefiles::writeFile(profiles.cache2() / name, "stale");
  cachefiles::writeFile(profiles.cache2() / "ce_clear", "marker");

  ProfileCacheSource cache(files, profiles.both(), noneRun);
  listAll(cache);
  auto before = allFiles(tmp.path());
  ASSERT_EQ(deleteUrl(cache, "http://victim.example/").removed, 1);

  auto after = allFiles(tmp.path());
  for (const auto& gone : {victim, doomed, profiles.cache2() / "index",
                           profiles.cache2() / "index.log", profiles.cache2() / "index.tmp"}) {
    EXPECT_FALSE(fs::exists(gone)) << gone;
    before.erase(gone.string());
  }
  EXPECT_EQ(after, before);  // every other file, ce_ markers included, as it was
  EXPECT_EQ(listAll(cache),
            (std::vector<std::string>{"http://keep.example/", "http://victim-not.example/"}));
  const ClearOutcome again = deleteUrl(cache, "http://victim.example/");
  EXPECT_EQ(again.removed, 0);  // already gone: no failure either
  EXPECT_TRUE(again.ok());
}

TEST_F(ProfileCacheSourceTest, DeletingAChromiumEntryRemovesEveryFileOfItsHash) {
  const std::string h = profiles.addChromium("https://victim.example/a.js", true);
  const std::string other = profiles.addChromium("https://keep.example/b.js", true);
  const auto data = profiles.cacheData();
  cachefiles::writeFile(data / ("todelete_" + h + "_0_17"), "doomed copy");
  cachefiles::writeFile(data / ("todelete_" + other + "_0_18"), "doomed copy");
  cachefiles::writeFile(data / "index", "keep me");
  cachefiles::writeFile(data / "index-dir" / "the-real-index", "rebuild me");
  profiles.addFirefox(":https://victim.example/a.js.not");

  ProfileCacheSource cache(files, profiles.both(), noneRun);
  listAll(cache);
  auto before = allFiles(tmp.path());
  ASSERT_EQ(deleteUrl(cache, "https://victim.example/a.js").removed, 1);

  for (const std::string& name : {h + "_0", h + "_1", h + "_s", "todelete_" + h + "_0_17",
                                  std::string("index-dir/the-real-index")}) {
    EXPECT_FALSE(fs::exists(data / name)) << name;
    before.erase((data / name).string());
  }
  EXPECT_EQ(allFiles(tmp.path()), before);
}

TEST_F(ProfileCacheSourceTest, DeletingWithoutAListingFindsTheEntryAndNeverTouchesAChangedFile) {
  const auto file = profiles.addFirefox(":http://unlisted.example/");
  ProfileCacheSource cache(files, profiles.both(), noneRun);
  EXPECT_EQ(deleteUrl(cache, "http://unlisted.example/").removed, 1);
  EXPECT_FALSE(fs::exists(file));

  // The listing saw the URL, then its file came to hold another entry.
  const auto reused = profiles.addFirefox(":http://first.example/");
  listAll(cache);
  cachefiles::writeFile(reused, cachefiles::firefoxEntry(":http://second.example/"));
  EXPECT_EQ(deleteUrl(cache, "http://first.example/").removed, 0);
  EXPECT_TRUE(fs::exists(reused));
}

TEST_F(ProfileCacheSourceTest, ARunningBrowsersEntriesAreListedButKept) {
  const auto ff = profiles.addFirefox(":http://busy.example/");
  const std::string h = profiles.addChromium("http://busy.example/");
  profiles.addChromium("http://free.example/");
  ProfileCacheSource cache(files, profiles.both(), [&](const browsers::BrowserProfile& p) {
    return p.family == browsers::BrowserFamily::Firefox;
  });
  EXPECT_EQ(listAll(cache).size(), 3u);
  const ClearOutcome busy = deleteUrl(cache, "http://busy.example/");
  EXPECT_EQ(busy.removed, 0);
  ASSERT_EQ(busy.failures.size(), 1u);
  EXPECT_EQ(busy.failures[0].item, "http://busy.example/");
  EXPECT_EQ(busy.failures[0].reason, browsers::displayName(profiles.firefox) + " is running");
  EXPECT_TRUE(fs::exists(ff));
  EXPECT_FALSE(fs::exists(profiles.cacheData() / (h + "_0")));  // its other profile is closed
  EXPECT_EQ(deleteUrl(cache, "http://free.example/").removed, 1);
}

TEST_F(ProfileCacheSourceTest, AGigabyteEntryIsListedFromItsTailAlone) {
  // A sparse file: one gigabyte of body (a hole), then the metadata.
  const std::string key = "a,:https://huge.example/movie.mp4";
  const std::uint32_t bodySize = 1024u * 1024u * 1024u;
  const std::string meta = cachefiles::firefoxMetadata(key, 4, bodySize);
  const auto path = profiles.cache2() / "entries" / cachefiles::firefoxFileName(key);
  fs::create_directories(path.parent_path());
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(pwrite(fd, meta.data(), meta.size(), bodySize), static_cast<ssize_t>(meta.size()));
  close(fd);
  ProfileCacheSource cache(files, profiles.both(), noneRun);
  EXPECT_EQ(listAll(cache), std::vector<std::string>{"https://huge.example/movie.mp4"});
}

// Entry files whose record cannot be read are never listed; clearing removes
// them, a Chromium one with every file of its hash, except those whose bytes
// hold "Cookie" while cookies are spared, and a running browser's.
TEST_F(ProfileCacheSourceTest, DamagedEntriesAreNeverListedAndGoUnlessTheyHoldCookie) {
  profiles.addFirefox(":http://fine.example/");
  profiles.addFirefox(":about:home");  // read, just not listed: it stays
  auto cutShort = [&](const std::string& key) {
    const auto path = profiles.cache2() / "entries" / cachefiles::firefoxFileName(key);
    const std::string whole = cachefiles::firefoxEntry(key);
    cachefiles::writeFile(path, whole.substr(0, whole.size() - 9));  // ends mid-record
    return path;
  };
  const auto cut = cutShort(":http://cut.example/");
  const auto cookie = cutShort(":http://site.example/Cookie");
  const auto emptyDoomed = profiles.cache2() / "doomed" / "17";
  cachefiles::writeFile(emptyDoomed, "");
  cachefiles::writeFile(profiles.cache2() / "index", std::string(64, '\0'));
  const std::string key = cachefiles::chromiumKey("http://cut.example/");
  const std::string h = cachefiles::chromiumHash(key);
  cachefiles::writeFile(profiles.cacheData() / (h + "_0"),
                        cachefiles::chromiumHeader(key).substr(0, 40));  // key cut short
  cachefiles::writeFile(profiles.cacheData() / (h + "_1"), cachefiles::chromiumHeader(key));
  cachefiles::writeFile(profiles.cacheData() / "index", "index magic");
  profiles.addChromium("http://fine.example/");

  bool chromiumRuns = true;
  ProfileCacheSource cache(files, profiles.both(), [&](const browsers::BrowserProfile& p) {
    return chromiumRuns && p.family == browsers::BrowserFamily::Chromium;
  });
  const std::vector<std::string> fine = {"http://fine.example/", "http://fine.example/"};
  EXPECT_EQ(listAll(cache), fine);

  ClearOutcome outcome = cache.removeDamaged(core::CacheOptions{false, false});
  EXPECT_EQ(outcome.removed, 2);  // the cut Firefox entry and the empty doomed one
  ASSERT_EQ(outcome.failures.size(), 1u);
  EXPECT_NE(outcome.failures[0].reason.find(browsers::displayName(profiles.chromium)),
            std::string::npos);
  EXPECT_FALSE(fs::exists(cut));
  EXPECT_FALSE(fs::exists(emptyDoomed));
  EXPECT_TRUE(fs::exists(cookie));
  EXPECT_FALSE(fs::exists(profiles.cache2() / "index"));  // rebuilt at the next start
  EXPECT_TRUE(
      fs::exists(profiles.cache2() / "entries" / cachefiles::firefoxFileName(":about:home")));

  chromiumRuns = false;
  outcome = cache.removeDamaged(core::CacheOptions{true, false});
  EXPECT_EQ(outcome.removed, 2);  // the cookie one and the Chromium entry
  EXPECT_TRUE(outcome.ok());
  EXPECT_FALSE(fs::exists(cookie));
  EXPECT_FALSE(fs::exists(profiles.cacheData() / (h + "_0")));
  EXPECT_FALSE(fs::exists(profiles.cacheData() / (h + "_1")));
  EXPECT_TRUE(fs::exists(profiles.cacheData() / "index"));
  EXPECT_EQ(listAll(cache), fine);
}

// The same URL in two profiles is two lines, told apart by their browser;
// deleting one line leaves the other profile's entry.
TEST_F(ProfileCacheSourceTest, DeletingOneBrowsersLineKeepsTheOtherProfilesEntry) {
  const auto ff = profiles.addFirefox(":http://both.example/");
  const std::string h = profiles.addChromium("http://both.example/");
  ProfileCacheSource cache(files, profiles.both(), noneRun);
  ASSERT_EQ(listAll(cache).size(), 2u);
  const std::string chromium = browsers::displayName(profiles.chromium);
  EXPECT_EQ(deleteUrl(cache, "http://both.example/", chromium).removed, 1);
  EXPECT_TRUE(fs::exists(ff));
  EXPECT_FALSE(fs::exists(profiles.cacheData() / (h + "_0")));
  EXPECT_EQ(deleteUrl(cache, "http://both.example/", chromium).removed, 0);
  EXPECT_TRUE(fs::exists(ff));
}
