// The sites an administrator's policies allow to keep cookies count as kept
// by the browsers: Firefox's policies.json (reached, as on Debian, through
// the link of the installation's distribution folder) and the Chromium
// family's managed policy files, laid out below a folder that stands for "/".
#include <gtest/gtest.h>

#include <filesystem>

#include "browsers/cookies/ascii_host_name.h"
#include "browsers/cookies/cookie_site.h"
#include "browsers/stores/kept_by_browsers.h"
#include "fake_home.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

TEST(PolicySites, AllowedSitesOfEveryPolicyFileAreImportedAndABrokenOneIsTold) {
  browsertest::FakeHome home;  // no profile of its own
  testsupport::TempDir root;
  root.write("usr/share/firefox-esr/distribution/policies.json",
             R"({"policies": {"Cookies": {"Allow": ["https://intranet.example.org",
                 "http://[::1]:8080"], "Block": ["https://blocked.test"]}}})");
  fs::create_directories(root.path() / "usr/lib/firefox-esr");
  fs::create_directory_symlink("../../share/firefox-esr/distribution",
                               root.path() / "usr/lib/firefox-esr/distribution");
  root.write("etc/firefox/policies/policies.json",
             R"({"policies": {"Cookies": {"AllowSession": ["https://session.test"]}}})");
  root.write("etc/chromium/policies/managed/cookies.json",
             R"({"CookiesAllowedForUrls": ["[*.]mail.example.com", "https://BÜCHER.de:443"],
                 "CookiesBlockedForUrls": ["[*.]blocked.test"]})");
  root.write("etc/chromium/policies/managed/notes.txt", "not a policy file");
  root.write("etc/opt/chrome/policies/managed/broken.json", R"({"CookiesAllowedForUrls": [)");
  root.write("etc/brave/policies/managed/sites.json",
             R"({"CookiesAllowedForUrls": ["192.168.1.010", "*"]})");

  const core::BrowserKeptSites found = browsers::keptByBrowsers(root.str());
  core::KeepList list;
  const core::SiteNaming naming{browsers::siteOfHost, browsers::isPublicSuffix,
                                browsers::asciiHostName};
  core::addKeptSites(list, found.names, naming);
  EXPECT_EQ(list.sites(), (std::vector<std::string>{"192.168.1.8", "[::1]", "example.com",
                                                    "example.org", "xn--bcher-kva.de"}));
  ASSERT_EQ(found.problems.size(), 1u);
  EXPECT_NE(found.problems[0].find("Google Chrome"), std::string::npos) << found.problems[0];
  EXPECT_NE(found.problems[0].find("broken.json"), std::string::npos) << found.problems[0];
}

}  // namespace
