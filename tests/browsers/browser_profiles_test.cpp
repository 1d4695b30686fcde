#include "browsers/profiles/browser_profiles.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "fake_home.h"

using browsers::BrowserFamily;
using browsers::BrowserProfile;
using browsers::browserRunning;
using browsers::displayName;
using browsers::findBrowserProfiles;

namespace {

const browsers::BrowserProfile* byName(const std::vector<browsers::BrowserProfile>& all,
                                       const std::string& browser, const std::string& name) {
  for (const browsers::BrowserProfile& p : all)
    if (p.browser == browser && p.name == name) return &p;
  return nullptr;
}

std::string hostName() {
  char host[256] = {};
  gethostname(host, sizeof host - 1);
  return host;
}

}  // namespace

TEST(FirefoxProfiles, EverySectionOfProfilesIniWithPathsCacheFoldersAndFallback) {
  browsertest::FakeHome home;
  const std::string absolute = home.path("elsewhere/custom");
  // A BOM, CRLF line ends, a gap in the numbering and an absolute profile.
  home.write(".mozilla/firefox/profiles.ini",
             "\xEF\xBB\xBF[General]\r\nStartWithLastProfile=1\r\n\r\n"
             "[Profile0]\r\nName=default-esr\r\nIsRelative=1\r\nPath=abc.default-esr\r\n"
             "Default=1\r\n\r\n[Profile2]\r\nName=work\r\nIsRelative=0\r\nPath=" +
                 absolute + "\r\n\r\n[Install1234]\r\nDefault=abc.default-esr\r\n");
  home.write(".mozilla/firefox/abc.default-esr/prefs.js", "");
  home.write("elsewhere/custom/prefs.js", "");
  // Not in profiles.ini, but it holds browsing data.
  home.write(".mozilla/firefox/orphan.old/cookies.sqlite", "");
  home.write(".mozilla/firefox/Crash Reports/events/x", "");
  // The XDG root of newer versions, with a moved cache.
  home.write(".config/mozilla/firefox/profiles.ini",
             "[Profile0]\nName=new\nIsRelative=1\nPath=xyz.new\n");
  home.write(".config/mozilla/firefox/xyz.new/prefs.js",
             "user_pref(\"browser.cache.disk.parent_directory\", \"/srv/ffcache\");\n");

  auto all = browsers::findBrowserProfiles();
  ASSERT_EQ(all.size(), 4u);
  const browsers::BrowserProfile* esr = byName(all, "firefox", "default-esr");
  ASSERT_TRUE(esr);
  EXPECT_EQ(esr->family, browsers::BrowserFamily::Firefox);
  EXPECT_EQ(esr->profileDir, home.path(".mozilla/firefox/abc.default-esr"));
  EXPECT_EQ(esr->cacheDir, home.path(".cache/mozilla/firefox/abc.default-esr"));
  const browsers::BrowserProfile* work = byName(all, "firefox", "work");
  ASSERT_TRUE(work);
  EXPECT_EQ(work->profileDir, absolute);
  EXPECT_EQ(work->cacheDir, absolute);
  const browsers::BrowserProfile* orphan = byName(all, "firefox", "orphan.old");
  ASSERT_TRUE(orphan);
  EXPECT_EQ(orphan->cacheDir, home.path(".cache/mozilla/firefox/orphan.old"));
  const browsers::BrowserProfile* moved = byName(all, "firefox", "new");
  ASSERT_TRUE(moved);
  EXPECT_EQ(moved->cacheDir, "/srv/ffcache");
}

TEST(FirefoxProfiles, SnapAndFlatpakRootsAndNoProfilesIni) {
  browsertest::FakeHome home;
  home.write("snap/firefox/common/.mozilla/firefox/s1.default/places.sqlite", "");
  home.write(".var/app/org.mozilla.firefox/.mozilla/firefox/f1.default/cookies.sqlite", "");
  auto all = browsers::findBrowserProfiles();
  ASSERT_EQ(all.size(), 2u);
  const browsers::BrowserProfile* snap = byName(all, "firefox-snap", "s1.default");
  ASSERT_TRUE(snap);
  EXPECT_EQ(snap->cacheDir, home.path("snap/firefox/common/.cache/mozilla/firefox/s1.default"));
  const browsers::BrowserProfile* flatpak = byName(all, "firefox-flatpak", "f1.default");
  ASSERT_TRUE(flatpak);
  EXPECT_EQ(flatpak->cacheDir,
            home.path(".var/app/org.mozilla.firefox/cache/mozilla/firefox/f1.default"));
  EXPECT_EQ(browsers::displayName(*snap), "Firefox (snap) (profile s1.default)");
}

TEST(ChromiumProfiles, LocalStateNamesSkipsSystemAndGuestAndFallsBackToPreferences) {
  browsertest::FakeHome home;
  home.write(".config/chromium/Local State",
             R"({"profile":{"info_cache":{"Default":{"name":"Person 1"},)"
             R"("Profile 1":{"name":"Work"},"System Profile":{"name":"System"},)"
             R"("Gone":{"name":"No folder"}}}})");
  for (const char* folder :
       {"Default", "Profile 1", "System Profile", "Guest Profile", "Profile 7"})
    home.write(std::string(".config/chromium/") + folder + "/Preferences", "{}");
  home.write(".config/chromium/Crashpad/settings.dat", "");
  // A user-data folder whose Local State is not JSON: only the fallback.
  home.write(".config/google-chrome/Local State", "{\"profile\": [truncated");
  home.write(".config/google-chrome/Default/Preferences", "{}");
  home.write("snap/chromium/common/chromium/Default/Preferences", "{}");

  auto all = browsers::findBrowserProfiles();
  ASSERT_EQ(all.size(), 5u);
  const browsers::BrowserProfile* person = byName(all, "chromium", "Person 1");
  ASSERT_TRUE(person);
  EXPECT_EQ(person->family, browsers::BrowserFamily::Chromium);
  EXPECT_EQ(person->profileDir, home.path(".config/chromium/Default"));
  EXPECT_EQ(person->cacheDir, home.path(".cache/chromium/Default"));
  EXPECT_EQ(person->userDataDir, home.path(".config/chromium"));
  EXPECT_TRUE(byName(all, "chromium", "Work"));
  EXPECT_TRUE(byName(all, "chromium", "Profile 7"));
  EXPECT_TRUE(byName(all, "chrome", "Default"));
  const browsers::BrowserProfile* snap = byName(all, "chromium-snap", "Default");
  ASSERT_TRUE(snap);
  EXPECT_EQ(snap->cacheDir, snap->profileDir);
  EXPECT_EQ(browsers::displayName(*person), "Chromium (profile Person 1)");
}

TEST(BrowserRunning, FirefoxByTheParentLockOfAnotherProcess) {
  browsertest::FakeHome home;
  home.write(".mozilla/firefox/p.default/cookies.sqlite", "");
  auto all = browsers::findBrowserProfiles();
  ASSERT_EQ(all.size(), 1u);
  EXPECT_FALSE(browsers::browserRunning(all[0]));  // no .parentlock at all
  home.write(".mozilla/firefox/p.default/.parentlock", "");
  EXPECT_FALSE(browsers::browserRunning(all[0]));  // left behind by a clean exit
  {
    browsertest::LockHolder firefox(all[0].profileDir + "/.parentlock");
    EXPECT_TRUE(browsers::browserRunning(all[0]));
  }
  EXPECT_FALSE(browsers::browserRunning(all[0]));
}

TEST(BrowserRunning, ChromiumBySingletonLockOfALiveProcessOnThisHost) {
  browsertest::FakeHome home;
  home.write(".config/chromium/Default/Preferences", "{}");
  auto all = browsers::findBrowserProfiles();
  ASSERT_EQ(all.size(), 1u);
  const std::string lock = home.path(".config/chromium/SingletonLock");
  EXPECT_FALSE(browsers::browserRunning(all[0]));

  pid_t child = fork();
  if (child == 0) {
    pause();
    _exit(0);
  }
  ASSERT_EQ(symlink((hostName() + "-" + std::to_string(child)).c_str(), lock.c_str()), 0);
  EXPECT_TRUE(browsers::browserRunning(all[0]));
  std::filesystem::remove(lock);
  ASSERT_EQ(symlink(("other-host-" + std::to_string(child)).c_str(), lock.c_str()), 0);
  EXPECT_FALSE(browsers::browserRunning(all[0]));
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  std::filesystem::remove(lock);
  // The link outlives the browser: a dead pid is not running.
  ASSERT_EQ(symlink((hostName() + "-" + std::to_string(child)).c_str(), lock.c_str()), 0);
  EXPECT_FALSE(browsers::browserRunning(all[0]));
}

TEST(BrowserFamilies, OperaIsItsRootFloorpZenWaterfoxAndEdgeBetaHaveTheirOwnRoots) {
  browsertest::FakeHome home;
  home.write(".config/opera/Preferences", "{}");
  home.write(".config/opera/Local State", "{}");
  home.write(".var/app/com.opera.Opera/config/opera/Preferences", "{}");
  home.write(".floorp/profiles.ini",
             "[Profile0]\nName=default-release\nIsRelative=1\nPath=f.default-release\n");
  home.write(".floorp/f.default-release/prefs.js", "");
  home.write(".zen/z.Default (release)/places.sqlite", "");
  home.write(".var/app/app.zen_browser.zen/.zen/q.Default (release)/cookies.sqlite", "");
  // The newer places: the configuration home, and two more sandboxed builds.
  home.write(".config/floorp/n.default/places.sqlite", "");
  home.write(".config/zen/n.Default (release)/places.sqlite", "");
  home.write(".var/app/net.waterfox.waterfox/.waterfox/w.default/cookies.sqlite", "");
  home.write(".var/app/com.microsoft.Edge/config/microsoft-edge-beta/Default/Preferences", "{}");

  auto all = browsers::findBrowserProfiles();
  ASSERT_EQ(all.size(), 9u);
  ASSERT_TRUE(byName(all, "floorp", "n.default"));
  EXPECT_EQ(byName(all, "zen", "n.Default (release)")->profileDir,
            home.path(".config/zen/n.Default (release)"));
  EXPECT_TRUE(byName(all, "waterfox-flatpak", "w.default")->sandboxed);
  EXPECT_EQ(browsers::displayName(*byName(all, "edge-beta-flatpak", "Default")),
            "Microsoft Edge Beta (flatpak) (profile Default)");
  const browsers::BrowserProfile* opera = byName(all, "opera", "Default");
  ASSERT_TRUE(opera);
  EXPECT_EQ(opera->family, browsers::BrowserFamily::Chromium);
  EXPECT_EQ(opera->profileDir, home.path(".config/opera"));
  EXPECT_EQ(opera->userDataDir, home.path(".config/opera"));
  EXPECT_EQ(opera->cacheDir, home.path(".cache/opera"));
  EXPECT_EQ(browsers::displayName(*opera), "Opera (profile Default)");
  const browsers::BrowserProfile* operaFlatpak = byName(all, "opera-flatpak", "Default");
  ASSERT_TRUE(operaFlatpak);
  EXPECT_EQ(operaFlatpak->cacheDir, home.path(".var/app/com.opera.Opera/cache/opera"));
  const browsers::BrowserProfile* floorp = byName(all, "floorp", "default-release");
  ASSERT_TRUE(floorp);
  EXPECT_EQ(floorp->family, browsers::BrowserFamily::Firefox);
  EXPECT_EQ(floorp->cacheDir, home.path(".cache/floorp/f.default-release"));
  const browsers::BrowserProfile* zen = byName(all, "zen", "z.Default (release)");
  ASSERT_TRUE(zen);
  EXPECT_EQ(zen->cacheDir, home.path(".cache/zen/z.Default (release)"));
  const browsers::BrowserProfile* zenFlatpak = byName(all, "zen-flatpak", "q.Default (release)");
  ASSERT_TRUE(zenFlatpak);
  EXPECT_TRUE(zenFlatpak->sandboxed);
  EXPECT_EQ(zenFlatpak->cacheDir,
            home.path(".var/app/app.zen_browser.zen/cache/zen/q.Default (release)"));
  EXPECT_EQ(browsers::displayName(*zenFlatpak), "Zen (flatpak) (profile q.Default (release))");
}

// A flatpak browser writes the pid of its own pid namespace into its lock
// link; that number means nothing here, so the link itself decides.
TEST(BrowserRunning, FlatpakChromiumByItsLockLinkNotByAPidFromAnotherNamespace) {
  browsertest::FakeHome home;
  const std::string data = ".var/app/org.chromium.Chromium/config/chromium";
  home.write(data + "/Default/Preferences", "{}");
  auto all = browsers::findBrowserProfiles();
  ASSERT_EQ(all.size(), 1u);
  EXPECT_TRUE(all[0].sandboxed);
  EXPECT_FALSE(browsers::browserRunning(all[0]));
  const std::string lock = home.path(data + "/SingletonLock");
  // Pid 2 inside the sandbox: here no such process of ours may exist at all.
  ASSERT_EQ(symlink((hostName() + "-2").c_str(), lock.c_str()), 0);
  EXPECT_TRUE(browsers::browserRunning(all[0]));
  std::filesystem::remove(lock);
  EXPECT_FALSE(browsers::browserRunning(all[0]));  // removed by a clean exit
}

TEST(BrowserRunning, FirefoxByItsLockLinkWhereThereIsNoParentLock) {
  browsertest::FakeHome home;
  home.write(".zen/z.default/places.sqlite", "");
  home.write(".var/app/app.zen_browser.zen/.zen/q.default/places.sqlite", "");
  auto all = browsers::findBrowserProfiles();
  ASSERT_EQ(all.size(), 2u);
  for (const browsers::BrowserProfile& p : all) {
    const std::string lock = p.profileDir + "/lock";
    // Our own pid is alive here; inside a sandbox it would mean nothing, and
    // the link counts by itself.
    ASSERT_EQ(symlink(("127.0.1.1:+" + std::to_string(getpid())).c_str(), lock.c_str()), 0);
    EXPECT_TRUE(browserRunning(p)) << p.browser;
    std::filesystem::remove(lock);
    ASSERT_EQ(symlink("127.0.1.1:+999999999", lock.c_str()), 0);  // no such process
    EXPECT_EQ(browserRunning(p), p.sandboxed) << p.browser;
    std::filesystem::remove(lock);
    EXPECT_FALSE(browserRunning(p)) << p.browser;
  }
}
