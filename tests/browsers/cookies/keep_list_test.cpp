// The keep list with the Public Suffix List the program runs with: what a
// typed site becomes, what can never be kept, which cookies a kept site
// keeps, and the list as the preferences store it.
#include "core/keep_list.h"

#include <gtest/gtest.h>

#include "browsers/cookies/cookie_site.h"
#include "core/cookie_area.h"
#include "identity.h"
#include "platform/registry_settings_store.h"
#include "platform/registry_tree.h"

namespace {

const core::SiteNaming kNaming{browsers::siteOfHost, browsers::isPublicSuffix};

std::string kept(const char* typed) {
  const core::KeptSite site = core::keptSiteOf(typed, kNaming);
  EXPECT_TRUE(site.ok()) << typed << ": " << site.error;
  return site.site;
}

TEST(KeepList, TypedSitesBecomeTheirRegistrableSite) {
  EXPECT_EQ(kept("www.example.co.uk"), "example.co.uk");
  EXPECT_EQ(kept("HTTPS://user@Mail.Example.com:8443/inbox?x=1"), "example.com");
  EXPECT_EQ(kept(" .example.org. "), "example.org");
  EXPECT_EQ(kept("alice.github.io"), "alice.github.io");  // a private suffix's site
  EXPECT_EQ(kept("localhost"), "localhost");
  EXPECT_EQ(kept("http://localhost:3000/"), "localhost");
  EXPECT_EQ(kept("192.168.1.10"), "192.168.1.10");
  EXPECT_EQ(kept("http://192.168.1.10:8080/admin"), "192.168.1.10");
  EXPECT_EQ(kept("[::1]"), "[::1]");
  EXPECT_EQ(kept("::1"), "[::1]");
  EXPECT_EQ(kept("http://[::1]:631/"), "[::1]");
}

TEST(KeepList, SuffixesAndGarbageAreRefusedInWords) {
  for (const char* suffix : {"co.uk", "uk", "com", ".COM", "github.io", "https://co.uk/"}) {
    const core::KeptSite site = core::keptSiteOf(suffix, kNaming);
    EXPECT_FALSE(site.ok()) << suffix;
    EXPECT_NE(site.error.find("public suffix"), std::string::npos) << site.error;
  }
  for (const char* garbage : {"", "   ", "exa mple.com", "http://", "a..b", "example.com:http",
                              "ex\xc3\xa4mple.com", "[::1"}) {
    const core::KeptSite site = core::keptSiteOf(garbage, kNaming);
    EXPECT_FALSE(site.ok()) << garbage;
    EXPECT_FALSE(site.error.empty());
  }
}

TEST(KeepList, AKeptSiteKeepsItsOwnHostsAndNoOther) {
  const core::KeepList list(
      {"example.co.uk", "localhost", "192.168.1.10", "[::1]", "alice.github.io"});
  EXPECT_EQ(list.keeperOf("accounts.example.co.uk", kNaming), "example.co.uk");
  EXPECT_EQ(list.keeperOf(".EXAMPLE.co.uk", kNaming), "example.co.uk");
  EXPECT_EQ(list.keeperOf("other.co.uk", kNaming), "");
  EXPECT_EQ(list.keeperOf("co.uk", kNaming), "");
  EXPECT_EQ(list.keeperOf("example.co.uk.evil.com", kNaming), "");
  EXPECT_EQ(list.keeperOf("badexample.co.uk", kNaming), "");
  EXPECT_EQ(list.keeperOf("localhost", kNaming), "localhost");
  EXPECT_EQ(list.keeperOf("192.168.1.10", kNaming), "192.168.1.10");
  EXPECT_EQ(list.keeperOf("192.168.1.100", kNaming), "");
  EXPECT_EQ(list.keeperOf("::1", kNaming), "[::1]");
  EXPECT_EQ(list.keeperOf("www.alice.github.io", kNaming), "alice.github.io");
  EXPECT_EQ(list.keeperOf("bob.github.io", kNaming), "");

  // The entries of the cookie list: a profile's site, a file of the shell's folder.
  core::CookieEntry site{"firefox.default@example.co.uk", "", "", 0, false};
  core::CookieEntry file{"alice@www.example.co.uk[2].txt", "", "", 0, true};
  core::CookieEntry index{"index.dat", "", "", 0, true};
  EXPECT_EQ(list.keeperOf(core::hostOfEntry(site), kNaming), "example.co.uk");
  EXPECT_EQ(list.keeperOf(core::hostOfEntry(file), kNaming), "example.co.uk");
  EXPECT_EQ(list.keeperOf(core::hostOfEntry(index), kNaming), "");
}

TEST(KeepList, StoredAsOneValueAndAGarbledOneReadsEmpty) {
  platform::RegistryTree registry;
  platform::RegistrySettingsStore settings(registry);
  EXPECT_TRUE(core::readKeepList(settings).empty());

  core::KeepList list;
  EXPECT_EQ(
      core::addKeptSites(list, {"www.example.com", "co.uk", "localhost", "example.com"}, kNaming),
      (std::vector<std::string>{"example.com", "localhost"}));
  core::writeKeepList(settings, list);
  EXPECT_EQ(core::readKeepList(settings).sites(), list.sites());

  for (const char* garbled : {"example.com Evil.com", "example.com\x01", "a/b", "[::1"}) {
    settings.SaveSetting(identity::kAppTitle, "Settings", core::kKeyKeptSites, garbled);
    EXPECT_TRUE(core::readKeepList(settings).empty()) << garbled;
  }
}

}  // namespace
