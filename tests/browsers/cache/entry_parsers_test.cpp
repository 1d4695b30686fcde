// The two entry formats, parsed from memory: keys, versions, large bodies and
// every kind of damage a hostile file can carry.
#include <gtest/gtest.h>

#include "browsers/formats/chromium_entry.h"
#include "browsers/formats/firefox_entry.h"
#include "cache_files.h"

using namespace browsers;

namespace {

std::optional<std::string> firefoxUrl(const std::string& bytes) {
  browsers::MemorySource source(bytes);
  auto entry = browsers::parseFirefoxEntry(source);
  return entry ? std::optional<std::string>(entry->url) : std::nullopt;
}

std::optional<std::string> chromiumUrl(const std::string& bytes) {
  browsers::MemorySource source(bytes);
  return browsers::parseChromiumEntry(source);
}

}  // namespace

TEST(FirefoxKey, TagsAreSkippedUpToTheUri) {
  EXPECT_EQ(browsers::firefoxKeyUri(":http://a.example/x"), "http://a.example/x");
  EXPECT_EQ(browsers::firefoxKeyUri("a,:https://a.example/"), "https://a.example/");
  EXPECT_EQ(browsers::firefoxKeyUri(
                "O^partitionKey=%28http%2C127.0.0.1%29,a,:http://127.0.0.1:8765/app.js"),
            "http://127.0.0.1:8765/app.js");
  EXPECT_EQ(browsers::firefoxKeyUri("~1700000000,:http://post.example/form"),
            "http://post.example/form");
  // A doubled comma is a literal comma inside the tag's value.
  EXPECT_EQ(browsers::firefoxKeyUri("O^x=a,,b:c,a,:http://c.example/"), "http://c.example/");
  EXPECT_EQ(browsers::firefoxKeyUri("b,i42,p,:http://legacy.example/"), "http://legacy.example/");
  // The URI keeps its own colons and commas.
  EXPECT_EQ(browsers::firefoxKeyUri(":http://h.example/a,b:c"), "http://h.example/a,b:c");
}

TEST(FirefoxKey, MalformedKeysGiveNothing) {
  EXPECT_FALSE(browsers::firefoxKeyUri(""));
  EXPECT_FALSE(browsers::firefoxKeyUri("Z,:http://unknown.tag/"));
  EXPECT_FALSE(browsers::firefoxKeyUri("a"));        // no comma after the tag
  EXPECT_FALSE(browsers::firefoxKeyUri("O^x=a,,"));  // value never ends
  EXPECT_FALSE(browsers::firefoxKeyUri("a,O^y,"));   // no URI
}

TEST(FirefoxEntry, ReadsVersionsOneToFourAndSkipsOthers) {
  for (std::uint32_t version : {1u, 2u, 3u, 4u}) {
    const auto bytes = cachefiles::firefoxEntry("a,:http://v.example/", version);
    EXPECT_EQ(firefoxUrl(bytes), "http://v.example/") << version;
  }
  EXPECT_FALSE(firefoxUrl(cachefiles::firefoxEntry(":http://v.example/", 0)));
  EXPECT_FALSE(firefoxUrl(cachefiles::firefoxEntry(":http://v.example/", 5)));
}

TEST(FirefoxEntry, ListsOnlyHttpAndHttps) {
  EXPECT_EQ(firefoxUrl(cachefiles::firefoxEntry(":HTTPS://Upper.example/")),
            "HTTPS://Upper.example/");
  EXPECT_FALSE(firefoxUrl(cachefiles::firefoxEntry(":about:home")));
  EXPECT_FALSE(firefoxUrl(cachefiles::firefoxEntry("a,:moz-extension://x/y")));
  EXPECT_FALSE(firefoxUrl(cachefiles::firefoxEntry(":httpx://no.example/")));
  EXPECT_FALSE(firefoxUrl(cachefiles::firefoxEntry(std::string(":http://nul\0inside/", 19))));
}

TEST(FirefoxEntry, LargeBodiesHaveOneChunkHashPerQuarterMegabyte) {
  const std::string body(600 * 1024, 'x');  // three chunks
  const auto bytes = cachefiles::firefoxEntry(":https://big.example/video", 4, body);
  EXPECT_EQ(firefoxUrl(bytes), "https://big.example/video");
  // Exactly one chunk boundary: 262144 bytes is one chunk, not two.
  EXPECT_EQ(firefoxUrl(cachefiles::firefoxEntry(":http://b.example/", 4, std::string(262144, 'y'))),
            "http://b.example/");
  EXPECT_EQ(firefoxUrl(cachefiles::firefoxEntry(":http://e.example/", 4, "")), "http://e.example/");
}

TEST(FirefoxEntry, EveryTruncationAndBadOffsetIsRejected) {
  const auto bytes = cachefiles::firefoxEntry("O^partitionKey=x,a,:http://t.example/");
  for (std::size_t n = 0; n < bytes.size(); ++n) EXPECT_FALSE(firefoxUrl(bytes.substr(0, n))) << n;

  std::string pastEnd = bytes;
  pastEnd.replace(pastEnd.size() - 4, 4, std::string("\x7f\xff\xff\xff", 4));
  EXPECT_FALSE(firefoxUrl(pastEnd));

  // A key size beyond the file, and one beyond the cap.
  std::string hugeKey = cachefiles::firefoxEntry(":http://k.example/");
  const std::size_t metaStart = std::string("<html>cached body</html>").size();
  const std::size_t keySizeField = metaStart + 4 + 2 + 24;
  hugeKey.replace(keySizeField, 4, std::string("\xff\xff\xff\xf0", 4));
  EXPECT_FALSE(firefoxUrl(hugeKey));
  std::string noNul = cachefiles::firefoxEntry(":http://k.example/");
  noNul[keySizeField + 8 + std::string(":http://k.example/").size()] = 'x';
  EXPECT_FALSE(firefoxUrl(noNul));
}

TEST(ChromiumKey, CredentialAndIsolationPrefixesAreSkipped) {
  EXPECT_EQ(browsers::chromiumKeyUrl(
                "1/0/_dk_http://127.0.0.1 http://127.0.0.1 http://127.0.0.1:8765/p.html"),
            "http://127.0.0.1:8765/p.html");
  EXPECT_EQ(browsers::chromiumKeyUrl("1/0/_dk_s_https://a.example https://b.example/x y"), "y");
  EXPECT_EQ(browsers::chromiumKeyUrl("0/1/https://plain.example/"), "https://plain.example/");
  EXPECT_EQ(browsers::chromiumKeyUrl("https://old.example/"), "https://old.example/");
  EXPECT_FALSE(browsers::chromiumKeyUrl("1/0/_dk_nospace"));
  EXPECT_FALSE(browsers::chromiumKeyUrl("a/b/http://x.example/"));
  EXPECT_FALSE(browsers::chromiumKeyUrl("1/http://x.example/"));
}

TEST(ChromiumEntry, ReadsTheKeyAfterTheHeader) {
  const std::string key = cachefiles::chromiumKey("https://c.example/app.js");
  EXPECT_EQ(chromiumUrl(cachefiles::chromiumEntry0(key)), "https://c.example/app.js");
  EXPECT_FALSE(chromiumUrl(cachefiles::chromiumEntry0("1/0/chrome://settings")));
  EXPECT_FALSE(chromiumUrl(cachefiles::chromiumHeader(key, 4)));
  std::string badMagic = cachefiles::chromiumEntry0(key);
  badMagic[0] ^= 1;
  EXPECT_FALSE(chromiumUrl(badMagic));
  std::string longKey = cachefiles::chromiumEntry0(key);
  longKey.replace(12, 4, std::string("\xff\xff\xff\x7f", 4));
  EXPECT_FALSE(chromiumUrl(longKey));
  const auto bytes = cachefiles::chromiumHeader(key);
  for (std::size_t n = 0; n < bytes.size(); ++n) EXPECT_FALSE(chromiumUrl(bytes.substr(0, n))) << n;
}

TEST(ChromiumEntry, FileNamesCarryTheHash) {
  EXPECT_EQ(browsers::simpleCacheHash("0123456789abcdef_0"), "0123456789abcdef");
  EXPECT_EQ(browsers::simpleCacheHash("0123456789abcdef_s"), "0123456789abcdef");
  EXPECT_FALSE(browsers::simpleCacheHash("0123456789ABCDEF_0"));
  EXPECT_FALSE(browsers::simpleCacheHash("0123456789abcde_0"));
  EXPECT_FALSE(browsers::simpleCacheHash("index"));
  // The test's own names match the browser's: the key's SHA-1, little-endian.
  EXPECT_EQ(cachefiles::chromiumHash("abc"),
            "6a810647363e99a9");  // SHA-1("abc") = a9993e36 4706816a ...
}
