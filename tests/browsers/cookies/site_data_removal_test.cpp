// A site's data goes from every store that holds it, its worker scripts
// with it, and nothing of a kept site; a removal that a fault cuts short is
// told, counts only what went, and the next run lists the site again from
// what is left and finishes; a store that cannot be read is a failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "cookie_databases.h"
#include "cookie_driver.h"
#include "fake_home.h"
#include "site_data_stores.h"

namespace {

namespace fs = std::filesystem;
using browsertest::makeLevelDb;
using browsertest::protoBytes;
using browsertest::protoNumber;

const std::string kGone = "chromium.Person 1@gone.test";
const std::string kKept = "chromium.Person 1@kept.test";
// MD5 of the hosts, as the site characteristics database keys them.
const std::string kGoneDigest = "ecb275a6b86340ab14c159e1e1b7bf32";      // gone.test
const std::string kShopGoneDigest = "c73e9b5fdd7b71006b8cea5b209ad3a3";  // shop.gone.test
const std::string kKeptDigest = "cf2bde8582762f4911eeb4a3da1a0fdc";      // kept.test

std::string nul(const std::string& a, const std::string& b) {
  return a + std::string(1, '\0') + b;
}

bool has(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

std::int64_t itemsOfSiteData(const platform::ClearOutcome& outcome) {
  for (const platform::ClearTally& kind : outcome.contents)
    if (kind.many == "items of site data") return kind.count;
  return 0;
}

bool failed(const platform::ClearOutcome& outcome, const std::string& entry) {
  return std::any_of(outcome.failures.begin(), outcome.failures.end(),
                     [&](const platform::ClearFailure& f) { return f.item == entry; });
}

// A Chromium profile where gone.test and kept.test stored data in every
// store: IndexedDB, Cache Storage (gone.test's cache named after kept.test),
// a storage bucket, Local and Session Storage, a service worker each (gone's
// imports a script from kept.test's host, which is gone's worker's all the
// same) with their scripts and a spare one of no registration, the quota
// rows, the site characteristics database (keyed by host digests; the host
// shop.gone.test is named by the history alone) and cookies.
class ChromiumSiteData : public ::testing::Test {
 protected:
  void SetUp() override {
    home.write(".config/chromium/Local State",
               R"({"profile":{"info_cache":{"Default":{"name":"Person 1"}}}})");
    home.write(".config/chromium/Default/Preferences", "{}");
    browsertest::makeChromiumCookies(at("Cookies"), {{".gone.test", "g"}, {"kept.test", "k"}});
    home.write(dir("IndexedDB/https_gone.test_0.indexeddb.leveldb/000003.log"), "gone.test db");
    home.write(dir("IndexedDB/https_gone.test_0.indexeddb.blob/1/00/1"), "gone.test blob");
    home.write(dir("IndexedDB/https_kept.test_0.indexeddb.leveldb/000003.log"), "kept.test db");
    home.write(dir(goneCaches() + "/index.txt"),
               protoBytes(1, protoBytes(1, "https://kept.test/x") + protoBytes(2, "c1")) +
                   protoBytes(2, "https://gone.test/"));
    home.write(dir(goneCaches() + "/c1/aaaaaaaaaaaaaaaa_0"), "https://gone.test/app.js");
    home.write(dir(keptCaches() + "/index.txt"), protoBytes(2, "https://kept.test/"));
    home.write(dir(keptCaches() + "/c2/bbbbbbbbbbbbbbbb_0"), "https://kept.test/app.js");
    makeLevelDb(at(localStorage), {{"VERSION", "1"},
                                   {"META:https://gone.test", "m"},
                                   {nul("_https://gone.test", "\1token"), "gone.test value"},
                                   {"META:https://kept.test", "m"},
                                   {nul("_https://kept.test", "\1token"), "kept.test value"}});
    makeLevelDb(at("Session Storage"), {{"version", "1"},
                                        {"namespace-aa-https://gone.test/", "1"},
                                        {"map-1-key", "gone.test session"},
                                        {"namespace-aa-https://kept.test/", "2"},
                                        {"map-2-key", "kept.test session"}});
    makeLevelDb(at(serviceWorkers), workerRecords());
    for (const auto& [hash, id] :
         std::vector<std::pair<std::string, std::string>>{{"1000000000000000", "100"},
                                                          {"1010000000000000", "101"},
                                                          {"2000000000000000", "200"},
                                                          {"3000000000000000", "300"}})
      browsertest::makeSimpleCacheFile(at(scripts + "/" + hash + "_0"), id);
    browsertest::makeSimpleCacheFile(at(scripts + "/1000000000000000_1"), "100");
    home.write(dir(scripts + "/index"), "simple index");
    browsertest::makeDatabase(
        at("WebStorage/QuotaManager"),
        "CREATE TABLE buckets(id INTEGER PRIMARY KEY, storage_key TEXT NOT NULL, name TEXT);"
        "INSERT INTO buckets VALUES (1, 'https://gone.test/', 'default'),"
        " (2, 'https://kept.test/', 'default'), (3, 'https://gone.test/', 'inbox');");
    home.write(dir("WebStorage/3/IndexedDB/data"), "gone.test bucket");
    makeLevelDb(at(characteristics), {{kGoneDigest, "gone"},
                                      {kShopGoneDigest, "shop"},
                                      {kKeptDigest, "kept"},
                                      {"database_metadata", "1"}});
    browsertest::makeDatabase(at("History"),
                              "CREATE TABLE urls(id INTEGER PRIMARY KEY, url TEXT);"
                              "INSERT INTO urls(url) VALUES ('https://shop.gone.test/cart'),"
                              " ('https://kept.test/');");
  }

  static std::vector<browsertest::Record> workerRecords() {
    auto registration = [](std::uint64_t id, const std::string& scope, std::uint64_t version) {
      return protoNumber(1, id) + protoBytes(2, scope) + protoBytes(3, scope + "sw.js") +
             protoNumber(4, version);
    };
    auto resource = [](std::uint64_t id, const std::string& url) {
      return protoNumber(1, id) + protoBytes(2, url);
    };
    return {{"INITDATA_DB_VERSION", "2"},
            {"PRES:300", ""},
            {nul("REG:https://gone.test/", "1"), registration(1, "https://gone.test/", 10)},
            {nul("REG:https://kept.test/", "2"), registration(2, "https://kept.test/", 20)},
            {"REGID_TO_ORIGIN:1", "https://gone.test/"},
            {"REGID_TO_ORIGIN:2", "https://kept.test/"},
            {nul("RES:10", "100"), resource(100, "https://gone.test/sw.js")},
            {nul("RES:10", "101"), resource(101, "https://cdn.kept.test/lib.js")},
            {nul("RES:20", "200"), resource(200, "https://kept.test/sw.js")}};
  }

  std::string dir(const std::string& relative) const {
    return ".config/chromium/Default/" + relative;
  }
  std::string at(const std::string& relative) const { return home.path(dir(relative)); }
  static std::string goneCaches() {
    return "Service Worker/CacheStorage/1111111111111111111111111111111111111111";
  }
  static std::string keptCaches() {
    return "Service Worker/CacheStorage/2222222222222222222222222222222222222222";
  }

  // What is left of gone.test, after all of it went: nothing in the profile
  // names it but the history, which is not the cookie area's.
  void expectOnlyTheKeptSiteLeft() {
    std::vector<std::string> naming = browsertest::filesNaming(at(""), "gone.test");
    naming.erase(std::remove(naming.begin(), naming.end(), "History"), naming.end());
    EXPECT_EQ(naming, std::vector<std::string>{});
    EXPECT_FALSE(fs::exists(at(goneCaches())));
    EXPECT_FALSE(fs::exists(at("WebStorage/3")));
    EXPECT_EQ(browsertest::levelDbKeys(at(localStorage)),
              (std::vector<std::string>{"META:https://kept.test", "VERSION",
                                        nul("_https://kept.test", "\1token")}));
    EXPECT_EQ(browsertest::levelDbKeys(at(serviceWorkers)),
              (std::vector<std::string>{"INITDATA_DB_VERSION", nul("REG:https://kept.test/", "2"),
                                        "REGID_TO_ORIGIN:2", nul("RES:20", "200")}));
    // The scripts of gone.test's worker went, the imported one too, and the
    // one of no registration; kept.test's stays.
    std::vector<std::string> scriptFiles;
    for (const auto& entry : fs::directory_iterator(at(scripts)))
      scriptFiles.push_back(entry.path().filename().string());
    std::sort(scriptFiles.begin(), scriptFiles.end());
    EXPECT_EQ(scriptFiles, (std::vector<std::string>{"2000000000000000_0", "index"}));
    EXPECT_EQ(browsertest::queryRows(at("WebStorage/QuotaManager"), "SELECT id FROM buckets"),
              std::vector<std::string>{"2"});
    EXPECT_EQ(browsertest::levelDbKeys(at(characteristics)),
              (std::vector<std::string>{kKeptDigest, "database_metadata"}));
    // The kept site's data is all there.
    for (const char* store : {"IndexedDB", "Service Worker/CacheStorage", "Local Storage",
                              "Session Storage", "Service Worker/Database", "Cookies"}) {
      bool kept = false;
      for (const std::string& file : browsertest::filesNaming(at(""), "kept.test"))
        kept = kept || file.starts_with(store);
      EXPECT_TRUE(kept) << store;
    }
  }

  const std::string localStorage = "Local Storage/leveldb";
  const std::string serviceWorkers = "Service Worker/Database";
  const std::string scripts = "Service Worker/ScriptCache";
  const std::string characteristics = "Site Characteristics Database";
  browsertest::FakeHome home;
  browsertest::CookieDriver cookies;
};

}  // namespace

TEST_F(ChromiumSiteData, ASiteGoesFromEveryStoreWithItsWorkerScriptsAndAKeptSiteStays) {
  ASSERT_TRUE(has(cookies.list(), kGone));
  const platform::ClearOutcome outcome = cookies.remove(std::vector<std::string>{kGone});
  ASSERT_TRUE(outcome.failures.empty())
      << outcome.failures.front().item << ": " << outcome.failures.front().reason;
  EXPECT_EQ(outcome.removed, 1);
  // IndexedDB, Cache Storage, the bucket, Local and Session Storage, the
  // worker, and two hosts' characteristics.
  EXPECT_EQ(itemsOfSiteData(outcome), 8);
  expectOnlyTheKeptSiteLeft();
  EXPECT_TRUE(has(cookies.list(), kKept));
  EXPECT_FALSE(has(cookies.list(), kGone));
}

TEST_F(ChromiumSiteData, ARemovalCutShortIsToldCountsWhatWentAndTheNextRunFinishesIt) {
  // Two faults: the browser's lock on Local Storage, held by another
  // process, and a Cache Storage folder too deep to be removed.
  std::string deep = at(goneCaches() + "/c1");
  for (int i = 0; i < 140; ++i) deep += "/d";
  fs::create_directories(deep);
  ASSERT_TRUE(has(cookies.list(), kGone));
  platform::ClearOutcome first;
  {
    browsertest::LockHolder browser(at(localStorage + "/LOCK"));
    first = cookies.remove(std::vector<std::string>{kGone});
  }
  EXPECT_EQ(first.removed, 0);
  EXPECT_TRUE(failed(first, kGone));
  // What went: IndexedDB, the bucket, Session Storage, the worker and the
  // characteristics, besides the cookie; not Local Storage nor the caches.
  EXPECT_EQ(itemsOfSiteData(first), 6);
  EXPECT_TRUE(fs::exists(at(goneCaches() + "/index.txt"))) << "the folder's origin went first";
  EXPECT_EQ(browsertest::queryRows(at("Cookies"), "SELECT host_key FROM cookies"),
            std::vector<std::string>{"kept.test"});

  // The faults gone, the site is listed again from what is left of it, and
  // the next run removes that and says so.
  fs::remove_all(at(goneCaches() + "/c1/d"));
  ASSERT_TRUE(has(cookies.list(), kGone));
  const platform::ClearOutcome second = cookies.remove(std::vector<std::string>{kGone});
  ASSERT_TRUE(second.failures.empty())
      << second.failures.front().item << ": " << second.failures.front().reason;
  EXPECT_EQ(second.removed, 1);
  EXPECT_EQ(itemsOfSiteData(second), 2);  // Local Storage and the caches
  expectOnlyTheKeptSiteLeft();
}

// A Firefox profile whose storage/default is a link to a folder elsewhere,
// which is never followed: its origin folders can be neither listed nor
// removed, and that is told; the site's folder in storage/temporary goes and
// is counted, and the site is not called gone. The listing also sweeps what
// a killed rewrite of serviceworker.txt left.
TEST(FirefoxSiteData, AStoreThatCannotBeReadIsAFailureAndNothingOfItIsCounted) {
  browsertest::FakeHome home;
  home.write(".mozilla/firefox/profiles.ini",
             "[Profile0]\nName=default-esr\nIsRelative=1\nPath=a.default-esr\n");
  const std::string profile = home.path(".mozilla/firefox/a.default-esr");
  fs::create_directories(profile);
  browsertest::makeFirefoxCookies(profile + "/cookies.sqlite", 17, {{".gone.test", "g"}});
  home.write(".mozilla/firefox/a.default-esr/storage/temporary/https+++gone.test/cache/x",
             "gone.test cache");
  home.write("elsewhere/https+++gone.test/ls/data.sqlite", "gone.test data");
  fs::create_directory_symlink(home.path("elsewhere"), profile + "/storage/default");
  const std::string stale = profile + "/.serviceworker.txt.tracesweep-tmp-Ab12Cd";
  home.write(".mozilla/firefox/a.default-esr/.serviceworker.txt.tracesweep-tmp-Ab12Cd",
             "https://gone.test/sw.js");
  fs::last_write_time(stale, fs::file_time_type::clock::now() - std::chrono::hours(1));
  browsertest::CookieDriver cookies;
  ASSERT_TRUE(has(cookies.list(), "firefox.default-esr@gone.test"));
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(std::any_of(
      cookies.plan.unreached.begin(), cookies.plan.unreached.end(),
      [&](const platform::ClearFailure& f) { return f.item == profile + "/storage/default"; }));
  const platform::ClearOutcome outcome =
      cookies.remove(std::vector<std::string>{"firefox.default-esr@gone.test"});
  EXPECT_EQ(outcome.removed, 0);
  EXPECT_TRUE(failed(outcome, "firefox.default-esr@gone.test"));
  EXPECT_EQ(itemsOfSiteData(outcome), 1);
  EXPECT_FALSE(fs::exists(profile + "/storage/temporary/https+++gone.test"));
  EXPECT_TRUE(fs::exists(home.path("elsewhere/https+++gone.test/ls/data.sqlite")));
}
