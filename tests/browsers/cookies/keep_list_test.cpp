// The keep list with the Public Suffix List the program runs with: what a
// typed site becomes, what can never be kept, which cookies a kept site
// keeps, and the list as the preferences store it.
#include "core/keep_list.h"

#include <gtest/gtest.h>

#include "browsers/cookies/ascii_host_name.h"
#include "browsers/cookies/cookie_site.h"
#include "core/cookie_area.h"
#include "identity.h"
#include "platform/registry_settings_store.h"
#include "platform/registry_tree.h"

namespace {

const core::SiteNaming kNaming{browsers::siteOfHost, browsers::isPublicSuffix,
                               browsers::asciiHostName};

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
                              "ex\xc3\xa4\xe2\x80\xaemple.com", "\xff.com", "[::1", "1.2.3.256",
                              "0x100000000", "1.2.3.4.5", "[::1::2]", "[1:2:3:4:5:6:7:8:9]"}) {
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

// The browsers store an international name in its ASCII form and an
// address in one canonical form (the URL Standard's host parser): the list
// holds them so, however they are typed.
TEST(KeepList, InternationalNamesAndAddressesAreKeptAsTheBrowsersWriteThem) {
  EXPECT_EQ(kept("bücher.de"), "xn--bcher-kva.de");
  EXPECT_EQ(kept("xn--bcher-kva.de"), "xn--bcher-kva.de");
  EXPECT_EQ(kept("https://www.BÜCHER.de/x"), "xn--bcher-kva.de");
  EXPECT_EQ(kept("мвд.рф"), "xn--b1aew.xn--p1ai");
  EXPECT_EQ(kept("192.168.1.010"), "192.168.1.8");  // a leading 0: octal
  EXPECT_EQ(kept("3232235786"), "192.168.1.10");
  EXPECT_EQ(kept("0xC0.0xA8.1.10"), "192.168.1.10");
  EXPECT_EQ(kept("192.168.266"), "192.168.1.10");  // the last part fills the rest
  EXPECT_EQ(kept("http://192.168.1.10.:80/"), "192.168.1.10");
  EXPECT_EQ(kept("[0:0:0:0:0:0:0:1]"), "[::1]");
  EXPECT_EQ(kept("http://[FE80:0:0:0:0:0:0:1]:8080/"), "[fe80::1]");
  EXPECT_EQ(kept("2001:db8:0:0:1:0:0:1"), "[2001:db8::1:0:0:1]");
  EXPECT_EQ(kept("[::ffff:192.168.1.10]"), "[::ffff:c0a8:10a]");

  const core::KeepList list({kept("BÜCHER.de"), kept("3232235786"), kept("[0::1]")});
  EXPECT_EQ(list.keeperOf("www.xn--bcher-kva.de", kNaming), "xn--bcher-kva.de");
  EXPECT_EQ(list.keeperOf("192.168.1.10", kNaming), "192.168.1.10");
  EXPECT_EQ(list.keeperOf("::1", kNaming), "[::1]");
}

// A tiny source: one profile's sites, as entries "firefox.default@<site>".
class SitesSource : public core::CookieSource {
 public:
  explicit SitesSource(std::vector<std::string> sites) : sites_(std::move(sites)) {}
  void list(core::CookiePlan& plan, std::size_t self, const std::function<bool()>&) override {
    for (const std::string& site : sites_)
      plan.entries.push_back({"firefox.default@" + site, "cookies.sqlite", site, self, false});
  }
  void remove(const std::vector<const core::CookieEntry*>&, const core::CookieOptions&,
              const core::Progress&, platform::ClearOutcome&, std::vector<bool>&) override {}

 private:
  std::vector<std::string> sites_;
};

// A person edited the stored list by hand: an entry that is no site is kept
// as written and told wherever the list is used; the others keep their
// sites (upper case is no fault); a change writes the unreadable entry back.
TEST(KeepList, AnEntryThatIsNoSiteIsKeptAndToldAndTheRestStillKeep) {
  platform::RegistryTree registry;
  platform::RegistrySettingsStore settings(registry);
  EXPECT_TRUE(core::readKeepList(settings, kNaming).empty());
  settings.SaveSetting(identity::kAppTitle, "Settings", core::kKeyKeptSites,
                       "kept-site.localhost  Bank.Example.com\texa$mple.com co.uk");

  const core::KeepList read = core::readKeepList(settings, kNaming);
  EXPECT_EQ(read.sites(), (std::vector<std::string>{"example.com", "kept-site.localhost"}));
  ASSERT_EQ(read.unreadable().size(), 2u);
  EXPECT_EQ(read.unreadable()[0].text, "exa$mple.com");
  EXPECT_NE(read.unreadable()[0].reason.find("is not a site"), std::string::npos);
  EXPECT_EQ(read.unreadable()[1].text, "co.uk");
  EXPECT_NE(read.unreadable()[1].reason.find("public suffix"), std::string::npos);

  // The clearing keeps the sites it understood and says what it did not.
  SitesSource source({"bank.example.com", "kept-site.localhost", "other.test"});
  const core::CookieArea area(
      {&source}, core::SiteKeeping{[&] { return core::readKeepList(settings, kNaming); }, kNaming});
  const platform::ClearOutcome preview = core::CookieArea::preview(area.plan());
  EXPECT_EQ(preview.items, std::vector<std::string>{"firefox.default@other.test"});
  ASSERT_EQ(preview.kept.size(), 2u);
  EXPECT_EQ(preview.kept[0].reason, "example.com is on the keep list");
  ASSERT_EQ(preview.failures.size(), 2u);
  EXPECT_NE(preview.failures[0].reason.find("exa$mple.com"), std::string::npos);

  // A change keeps what it did not understand, as it was written.
  EXPECT_TRUE(core::changeKeepList(settings, kNaming, [](core::KeepList& list) {
                list.add("other.test");
              }).ok());
  EXPECT_EQ(settings.GetSetting(identity::kAppTitle, "Settings", core::kKeyKeptSites, ""),
            "example.com kept-site.localhost other.test exa$mple.com co.uk");
  EXPECT_TRUE(core::changeKeepList(settings, kNaming, [](core::KeepList& list) {
                EXPECT_TRUE(list.removeUnreadable("EXA$MPLE.COM"));
              }).ok());
  EXPECT_EQ(core::readKeepList(settings, kNaming).unreadable().size(), 1u);
}

}  // namespace
