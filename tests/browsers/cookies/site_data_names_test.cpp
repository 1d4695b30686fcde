// What decides whose site data goes: the names the browsers give origins in
// folders, keys and the service-worker file. A wrong reading removes another
// site's data, or an extension's.
#include <gtest/gtest.h>

#include "browsers/cookies/chromium_site_data.h"
#include "browsers/cookies/firefox_site_data.h"

namespace {

using namespace browsers;

TEST(SiteDataNames, EachOriginBelongsToItsSiteAndExtensionsToNone) {
  EXPECT_EQ(siteOfFirefoxOriginFolder("http+++alpha.test"), "alpha.test");
  EXPECT_EQ(siteOfFirefoxOriginFolder("https+++www.beta.co.uk+8443"), "beta.co.uk");
  EXPECT_EQ(siteOfFirefoxOriginFolder("https+++x.example.com^userContextId=2"), "example.com");
  EXPECT_EQ(
      siteOfFirefoxOriginFolder("https+++frame.test^partitionKey=%28https%2Ctop.example.com%29"),
      "example.com")
      << "a partitioned origin goes with the top page's site, as its cookies do";
  EXPECT_EQ(siteOfFirefoxOriginFolder("moz-extension+++0a1b2c3d-uuid^addonId=x"), "");
  EXPECT_EQ(siteOfFirefoxOriginFolder("file++++home+user+page.html"), "");
  EXPECT_EQ(siteOfFirefoxOriginKey("|tset.ahpla.:http:80"), "alpha.test");
  EXPECT_EQ(siteOfFirefoxOriginKey("^userContextId=1|moc.elpmaxe.www.:https:443"), "example.com");
  EXPECT_EQ(siteOfFirefoxOriginKey("|dnuof-ton.:moz-extension:"), "");

  EXPECT_EQ(siteOfIndexedDbFolder("http_my_site.test_0.indexeddb.leveldb"), "my_site.test");
  EXPECT_EQ(siteOfIndexedDbFolder("https_www.example.com_8443.indexeddb.blob"), "example.com");
  EXPECT_EQ(siteOfIndexedDbFolder("chrome-extension_abcdef_0.indexeddb.leveldb"), "");
  EXPECT_EQ(siteOfStorageKey(std::string("_http://alpha.test\0\1key", 23)), "alpha.test");
  EXPECT_EQ(siteOfStorageKey("REG:https://www.example.com:8443/"), "example.com");
  EXPECT_EQ(siteOfStorageKey("https://frame.test/^0https://top.example.com"), "example.com");
  EXPECT_EQ(siteOfStorageKey("VERSION"), "");
}

TEST(SiteDataNames, TheServiceWorkerFileKeepsItsFormAndTheOtherSites) {
  const std::string record =
      "\nhttp://alpha.test/\nhttp://alpha.test/"
      "sw.js\ntrue\n{1}\n0\n1\n2\n3\n0\ntrue\n0\n1\n0\n-1\n0\n#\n";
  const std::string kept =
      "^userContextId=5\nhttp://beta.test/\nhttp://beta.test/sw.js\ntrue\n{2}\n0\n1\n2\n3\n0\n"
      "true\n0\n1\n0\n-1\n0\n#\n";
  std::map<std::string, std::int64_t> removed;
  EXPECT_EQ(withoutServiceWorkersOf("12\n" + record + kept + record, {"alpha.test"}, removed),
            "12\n" + kept);
  EXPECT_EQ(removed, (std::map<std::string, std::int64_t>{{"alpha.test", 2}}));
  EXPECT_EQ(withoutServiceWorkersOf("12\n", {"alpha.test"}, removed), "12\n");
  // A record cut short, or no version: the file is not touched.
  EXPECT_FALSE(withoutServiceWorkersOf("12\n" + kept.substr(0, 40), {"alpha.test"}, removed));
  EXPECT_FALSE(withoutServiceWorkersOf("", {"alpha.test"}, removed));
}

}  // namespace
