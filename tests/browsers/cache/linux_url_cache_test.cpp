// The Linux URL cache over entry files built in a temporary folder: the
// two-call contract, the listing of both formats and deletion by URL.
#include "platform/linux/cache/linux_url_cache.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "cache_files.h"
#include "temp_dir.h"

using namespace platform;
using platform::linux_os::LinuxUrlCache;
namespace fs = std::filesystem;

namespace {

UrlCacheEntryInfo recordOf(const std::vector<unsigned char>& buffer) {
  UrlCacheEntryInfo info;
  std::memcpy(&info, buffer.data(), sizeof info);
  return info;
}

// Every name the cache lists, through the two calls per entry.
std::vector<std::string> listAll(UrlCache& cache) {
  std::vector<std::string> names;
  std::uint32_t size = 0;
  CacheHandle handle = cache.FindFirstUrlCacheEntry(nullptr, &size);
  if (handle != 0 || cache.GetLastError() != ERROR_INSUFFICIENT_BUFFER) return names;
  std::vector<unsigned char> buffer(size);
  handle = cache.FindFirstUrlCacheEntry(buffer.data(), &size);
  while (handle != 0) {
    names.push_back(recordOf(buffer).lpszSourceUrlName);
    size = 0;
    cache.FindNextUrlCacheEntry(handle, nullptr, &size);
    if (size == 0) break;
    buffer.assign(size, 0);
    if (!cache.FindNextUrlCacheEntry(handle, buffer.data(), &size)) break;
  }
  cache.FindCloseUrlCache(handle);
  std::sort(names.begin(), names.end());
  return names;
}

std::map<std::string, std::string> allFiles(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) files[e.path().string()] = testsupport::readFile(e.path());
  return files;
}

class LinuxUrlCacheTest : public ::testing::Test {
 protected:
  testsupport::TempDir tmp;
  cachefiles::TwoProfiles profiles{tmp.path()};
};

}  // namespace

TEST_F(LinuxUrlCacheTest, ProbeThenFetchThenNoMoreItems) {
  const auto file = profiles.addFirefox(":http://one.example/");
  LinuxUrlCache cache(profiles.both());

  std::uint32_t size = 0;
  EXPECT_EQ(cache.FindFirstUrlCacheEntry(nullptr, &size), 0u);
  EXPECT_EQ(cache.GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  const std::uint32_t needed = size;
  const std::string browser = browsers::displayName(profiles.firefox);
  EXPECT_EQ(needed, sizeof(UrlCacheEntryInfo) + std::strlen("http://one.example/") + 1 +
                        file.string().size() + 1 + browser.size() + 1);

  std::vector<unsigned char> buffer(needed);
  size = needed - 1;  // one byte short
  EXPECT_EQ(cache.FindFirstUrlCacheEntry(buffer.data(), &size), 0u);
  EXPECT_EQ(cache.GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(size, needed);

  const CacheHandle handle = cache.FindFirstUrlCacheEntry(buffer.data(), &size);
  ASSERT_NE(handle, 0u);
  const UrlCacheEntryInfo info = recordOf(buffer);
  EXPECT_EQ(info.dwStructSize, sizeof(UrlCacheEntryInfo));
  EXPECT_STREQ(info.lpszSourceUrlName, "http://one.example/");
  EXPECT_EQ(info.lpszLocalFileName, file.string());
  EXPECT_EQ(info.lpszBrowser, browser);
  EXPECT_EQ(info.CacheEntryType, NORMAL_CACHE_ENTRY);
  EXPECT_EQ(info.dwUseCount, 3u);
  EXPECT_EQ(info.dwSizeLow, fs::file_size(file));
  // The strings live inside the buffer, after the fixed part.
  EXPECT_GE(reinterpret_cast<const unsigned char*>(info.lpszSourceUrlName),
            buffer.data() + sizeof(UrlCacheEntryInfo));

  size = 0;
  EXPECT_FALSE(cache.FindNextUrlCacheEntry(handle, nullptr, &size));
  EXPECT_EQ(cache.GetLastError(), ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(size, 0u);  // left unchanged at the end
  cache.FindCloseUrlCache(handle);
  EXPECT_FALSE(cache.FindNextUrlCacheEntry(handle, buffer.data(), &size));
  EXPECT_EQ(cache.GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(LinuxUrlCacheTest, EmptyOrMissingCacheEndsAtOnce) {
  LinuxUrlCache cache(profiles.both());
  std::uint32_t size = 0;
  EXPECT_EQ(cache.FindFirstUrlCacheEntry(nullptr, &size), 0u);
  EXPECT_EQ(cache.GetLastError(), ERROR_NO_MORE_ITEMS);
  LinuxUrlCache none(std::vector<browsers::BrowserProfile>{});
  EXPECT_EQ(none.FindFirstUrlCacheEntry(nullptr, &size), 0u);
  EXPECT_EQ(none.GetLastError(), ERROR_NO_MORE_ITEMS);
  none.FindCloseUrlCache(0);
}

TEST_F(LinuxUrlCacheTest, ListsEveryHttpEntryOfBothFormatsAndNothingElse) {
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

  LinuxUrlCache cache(profiles.both());
  EXPECT_EQ(listAll(cache), (std::vector<std::string>{
                                "http://127.0.0.1:8765/app.js", "http://127.0.0.1:8765/page2.html",
                                "http://doomed.example/", "http://v4.example/",
                                "https://anon.example/", "https://c.example/Cookie.js"}));
}

TEST_F(LinuxUrlCacheTest, ProfilesAreAskedForAtEveryListing) {
  int asked = 0;
  LinuxUrlCache cache([&] {
    ++asked;
    return profiles.both();
  });
  profiles.addFirefox(":http://late.example/");
  EXPECT_EQ(listAll(cache), std::vector<std::string>{"http://late.example/"});
  EXPECT_EQ(asked, 1);  // the probe's walk serves the fetch after it
  listAll(cache);
  EXPECT_EQ(asked, 2);
}

TEST_F(LinuxUrlCacheTest, DeletingAFirefoxEntryRemovesItsFileAndTheStaleIndex) {
  const auto victim = profiles.addFirefox("a,:http://victim.example/");
  const auto doomed = profiles.addFirefoxDoomed(":http://victim.example/", "99");
  profiles.addFirefox(":http://keep.example/");
  profiles.addChromium("http://victim-not.example/", true);
  for (const char* name : {"index", "index.log", "index.tmp"})
    cachefiles::writeFile(profiles.cache2() / name, "stale");
  cachefiles::writeFile(profiles.cache2() / "ce_clear", "marker");

  LinuxUrlCache cache(profiles.both());
  listAll(cache);
  auto before = allFiles(tmp.path());
  ASSERT_TRUE(cache.DeleteUrlCacheEntry("http://victim.example/"));

  auto after = allFiles(tmp.path());
  for (const auto& gone : {victim, doomed, profiles.cache2() / "index",
                           profiles.cache2() / "index.log", profiles.cache2() / "index.tmp"}) {
    EXPECT_FALSE(fs::exists(gone)) << gone;
    before.erase(gone.string());
  }
  EXPECT_EQ(after, before);  // every other file, ce_ markers included, as it was
  EXPECT_EQ(listAll(cache),
            (std::vector<std::string>{"http://keep.example/", "http://victim-not.example/"}));
  EXPECT_FALSE(cache.DeleteUrlCacheEntry("http://victim.example/"));
  EXPECT_EQ(cache.GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(LinuxUrlCacheTest, DeletingAChromiumEntryRemovesEveryFileOfItsHash) {
  const std::string h = profiles.addChromium("https://victim.example/a.js", true);
  const std::string other = profiles.addChromium("https://keep.example/b.js", true);
  const auto data = profiles.cacheData();
  cachefiles::writeFile(data / ("todelete_" + h + "_0_17"), "doomed copy");
  cachefiles::writeFile(data / ("todelete_" + other + "_0_18"), "doomed copy");
  cachefiles::writeFile(data / "index", "keep me");
  cachefiles::writeFile(data / "index-dir" / "the-real-index", "rebuild me");
  profiles.addFirefox(":https://victim.example/a.js.not");

  LinuxUrlCache cache(profiles.both());
  listAll(cache);
  auto before = allFiles(tmp.path());
  ASSERT_TRUE(cache.DeleteUrlCacheEntry("https://victim.example/a.js"));

  for (const std::string& name : {h + "_0", h + "_1", h + "_s", "todelete_" + h + "_0_17",
                                  std::string("index-dir/the-real-index")}) {
    EXPECT_FALSE(fs::exists(data / name)) << name;
    before.erase((data / name).string());
  }
  EXPECT_EQ(allFiles(tmp.path()), before);
}

TEST_F(LinuxUrlCacheTest, DeletingWithoutAListingFindsTheEntryAndNeverTouchesAChangedFile) {
  const auto file = profiles.addFirefox(":http://unlisted.example/");
  LinuxUrlCache cache(profiles.both());
  EXPECT_TRUE(cache.DeleteUrlCacheEntry("http://unlisted.example/"));
  EXPECT_FALSE(fs::exists(file));

  // The listing saw the URL, then its file came to hold another entry.
  const auto reused = profiles.addFirefox(":http://first.example/");
  listAll(cache);
  cachefiles::writeFile(reused, cachefiles::firefoxEntry(":http://second.example/"));
  EXPECT_FALSE(cache.DeleteUrlCacheEntry("http://first.example/"));
  EXPECT_TRUE(fs::exists(reused));
}

TEST_F(LinuxUrlCacheTest, ARunningBrowsersEntriesAreListedButKept) {
  const auto ff = profiles.addFirefox(":http://busy.example/");
  const std::string h = profiles.addChromium("http://busy.example/");
  profiles.addChromium("http://free.example/");
  LinuxUrlCache cache(profiles.both(), [&](const browsers::BrowserProfile& p) {
    return p.family == browsers::BrowserFamily::Firefox;
  });
  EXPECT_EQ(listAll(cache).size(), 3u);
  EXPECT_FALSE(cache.DeleteUrlCacheEntry("http://busy.example/"));
  EXPECT_EQ(cache.GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_TRUE(fs::exists(ff));
  EXPECT_FALSE(fs::exists(profiles.cacheData() / (h + "_0")));  // its other profile is closed
  EXPECT_TRUE(cache.DeleteUrlCacheEntry("http://free.example/"));
}

TEST_F(LinuxUrlCacheTest, AGigabyteEntryIsListedFromItsTailAlone) {
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
  LinuxUrlCache cache(profiles.both());
  EXPECT_EQ(listAll(cache), std::vector<std::string>{"https://huge.example/movie.mp4"});
}

// Entry files whose record cannot be read are never listed; clearing removes
// them, a Chromium one with every file of its hash, except those whose bytes
// hold "Cookie" while cookies are spared, and a running browser's.
TEST_F(LinuxUrlCacheTest, DamagedEntriesAreNeverListedAndGoUnlessTheyHoldCookie) {
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
  LinuxUrlCache cache(profiles.both(), [&](const browsers::BrowserProfile& p) {
    return chromiumRuns && p.family == browsers::BrowserFamily::Chromium;
  });
  const std::vector<std::string> fine = {"http://fine.example/", "http://fine.example/"};
  EXPECT_EQ(listAll(cache), fine);

  ClearOutcome outcome = cache.DeleteDamagedEntries(true);
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
  outcome = cache.DeleteDamagedEntries(false);
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
TEST_F(LinuxUrlCacheTest, DeletingOneBrowsersLineKeepsTheOtherProfilesEntry) {
  const auto ff = profiles.addFirefox(":http://both.example/");
  const std::string h = profiles.addChromium("http://both.example/");
  LinuxUrlCache cache(profiles.both(), [](const browsers::BrowserProfile&) { return false; });
  ASSERT_EQ(listAll(cache).size(), 2u);
  EXPECT_TRUE(cache.DeleteUrlCacheEntryOf("http://both.example/",
                                          browsers::displayName(profiles.chromium)));
  EXPECT_TRUE(fs::exists(ff));
  EXPECT_FALSE(fs::exists(profiles.cacheData() / (h + "_0")));
  EXPECT_FALSE(cache.DeleteUrlCacheEntryOf("http://both.example/",
                                           browsers::displayName(profiles.chromium)));
  EXPECT_EQ(cache.GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(fs::exists(ff));
}
