#include "browsers/profiles/browser_families.h"

#include "platform/linux/common/xdg_paths.h"

namespace browsers {

namespace {

struct Kind {
  const char* browser;
  const char* title;
};

// Firefox family. Each browser keeps profiles.ini in its root; a relative
// profile's cache is under the XDG cache folder.
struct FirefoxPlace {
  const char* browser;
  const char* root;   // below HOME, or below XDG_CONFIG_HOME when config is set
  const char* cache;  // below XDG_CACHE_HOME, or below HOME when homeCache is set
  bool config = false;
  bool homeCache = false;
  bool sandboxed = false;
};

const FirefoxPlace kFirefoxPlaces[] = {
    {"firefox", ".mozilla/firefox", "mozilla/firefox"},
    {"firefox", "mozilla/firefox", "mozilla/firefox", true},
    {"firefox-snap", "snap/firefox/common/.mozilla/firefox",
     "snap/firefox/common/.cache/mozilla/firefox", false, true},
    {"firefox-flatpak", ".var/app/org.mozilla.firefox/.mozilla/firefox",
     ".var/app/org.mozilla.firefox/cache/mozilla/firefox", false, true, true},
    {"firefox-flatpak", ".var/app/org.mozilla.firefox/config/mozilla/firefox",
     ".var/app/org.mozilla.firefox/cache/mozilla/firefox", false, true, true},
    {"librewolf", ".librewolf", "librewolf"},
    {"librewolf", "librewolf/librewolf", "librewolf", true},
    {"librewolf-flatpak", ".var/app/io.gitlab.librewolf-community/.librewolf",
     ".var/app/io.gitlab.librewolf-community/cache/librewolf", false, true, true},
    {"waterfox", ".waterfox", "waterfox"},
    // The Flathub build (app id net.waterfox.waterfox) keeps its HOME-relative
    // folder inside the sandbox's home.
    {"waterfox-flatpak", ".var/app/net.waterfox.waterfox/.waterfox",
     ".var/app/net.waterfox.waterfox/cache/waterfox", false, true, true},
    {"floorp", ".floorp", "floorp"},
    // Floorp, as Firefox since 147, uses $XDG_CONFIG_HOME/floorp when the old
    // ~/.floorp does not exist.
    {"floorp", "floorp", "floorp", true},
    {"floorp-flatpak", ".var/app/one.ablaze.floorp/.floorp",
     ".var/app/one.ablaze.floorp/cache/floorp", false, true, true},
    {"zen", ".zen", "zen"},
    // Zen since 1.18.6b (its release notes): $XDG_CONFIG_HOME/zen when the old
    // ~/.zen does not exist.
    {"zen", "zen", "zen", true},
    {"zen-flatpak", ".var/app/app.zen_browser.zen/.zen", ".var/app/app.zen_browser.zen/cache/zen",
     false, true, true},
};

// Chromium family installed from packages: the user-data folder below
// XDG_CONFIG_HOME, its cache the same path below XDG_CACHE_HOME.
struct ChromiumPackage {
  const char* browser;
  const char* folder;
  bool profileIsRoot = false;
};

const ChromiumPackage kChromiumPackages[] = {
    {"chromium", "chromium"},
    {"chrome", "google-chrome"},
    {"chrome-beta", "google-chrome-beta"},
    {"chrome-unstable", "google-chrome-unstable"},
    {"brave", "BraveSoftware/Brave-Browser"},
    {"brave-beta", "BraveSoftware/Brave-Browser-Beta"},
    {"brave-nightly", "BraveSoftware/Brave-Browser-Nightly"},
    {"vivaldi", "vivaldi"},
    {"vivaldi-snapshot", "vivaldi-snapshot"},
    {"edge", "microsoft-edge"},
    {"edge-beta", "microsoft-edge-beta"},
    {"edge-dev", "microsoft-edge-dev"},
    {"opera", "opera", true},
    {"opera-beta", "opera-beta", true},
    {"opera-developer", "opera-developer", true},
};

// Chromium family from Flathub: ~/.var/app/<app>/config/<folder>, its cache
// in ~/.var/app/<app>/cache/<folder>.
struct ChromiumFlatpak {
  const char* browser;
  const char* app;
  const char* folder;
  bool profileIsRoot = false;
};

const ChromiumFlatpak kChromiumFlatpaks[] = {
    {"chromium-flatpak", "org.chromium.Chromium", "chromium"},
    {"chromium-flatpak", "io.github.ungoogled_software.ungoogled_chromium", "chromium"},
    {"chrome-flatpak", "com.google.Chrome", "google-chrome"},
    {"brave-flatpak", "com.brave.Browser", "BraveSoftware/Brave-Browser"},
    {"vivaldi-flatpak", "com.vivaldi.Vivaldi", "vivaldi"},
    {"edge-flatpak", "com.microsoft.Edge", "microsoft-edge"},
    // The same Flathub app runs the beta channel into its own folder.
    {"edge-beta-flatpak", "com.microsoft.Edge", "microsoft-edge-beta"},
    {"opera-flatpak", "com.opera.Opera", "opera", true},
};

const Kind kKinds[] = {
    {"firefox", "Firefox"},
    {"firefox-snap", "Firefox (snap)"},
    {"firefox-flatpak", "Firefox (flatpak)"},
    {"librewolf", "LibreWolf"},
    {"librewolf-flatpak", "LibreWolf (flatpak)"},
    {"waterfox", "Waterfox"},
    {"waterfox-flatpak", "Waterfox (flatpak)"},
    {"floorp", "Floorp"},
    {"floorp-flatpak", "Floorp (flatpak)"},
    {"zen", "Zen"},
    {"zen-flatpak", "Zen (flatpak)"},
    {"chromium", "Chromium"},
    {"chromium-snap", "Chromium (snap)"},
    {"chromium-flatpak", "Chromium (flatpak)"},
    {"chrome", "Google Chrome"},
    {"chrome-beta", "Google Chrome Beta"},
    {"chrome-unstable", "Google Chrome Dev"},
    {"chrome-canary", "Google Chrome Canary"},
    {"chrome-flatpak", "Google Chrome (flatpak)"},
    {"brave", "Brave"},
    {"brave-beta", "Brave Beta"},
    {"brave-nightly", "Brave Nightly"},
    {"brave-flatpak", "Brave (flatpak)"},
    {"vivaldi", "Vivaldi"},
    {"vivaldi-snapshot", "Vivaldi Snapshot"},
    {"vivaldi-flatpak", "Vivaldi (flatpak)"},
    {"edge", "Microsoft Edge"},
    {"edge-beta", "Microsoft Edge Beta"},
    {"edge-dev", "Microsoft Edge Dev"},
    {"edge-flatpak", "Microsoft Edge (flatpak)"},
    {"edge-beta-flatpak", "Microsoft Edge Beta (flatpak)"},
    {"opera", "Opera"},
    {"opera-beta", "Opera Beta"},
    {"opera-developer", "Opera Developer"},
    {"opera-gx", "Opera GX"},
    {"opera-flatpak", "Opera (flatpak)"},
};

std::vector<BrowserRoot> firefoxRoots() {
  const std::string home = platform::linux_os::homeFolder() + "/";
  const std::string config = platform::linux_os::xdgConfigHome() + "/";
  const std::string cache = platform::linux_os::xdgCacheHome() + "/";
  std::vector<BrowserRoot> roots;
  for (const FirefoxPlace& place : kFirefoxPlaces) {
    BrowserRoot root;
    root.browser = place.browser;
    root.family = BrowserFamily::Firefox;
    root.dataDir = (place.config ? config : home) + place.root;
    root.cacheRoot = (place.homeCache ? home : cache) + place.cache;
    root.sandboxed = place.sandboxed;
    roots.push_back(std::move(root));
  }
  return roots;
}

std::vector<BrowserRoot> chromiumRoots() {
  const std::string home = platform::linux_os::homeFolder() + "/";
  const std::string config = platform::linux_os::xdgConfigHome() + "/";
  const std::string cache = platform::linux_os::xdgCacheHome() + "/";
  std::vector<BrowserRoot> roots;
  auto add = [&](const char* browser, std::string dataDir, std::string cacheRoot,
                 bool profileIsRoot, bool sandboxed) {
    BrowserRoot root;
    root.browser = browser;
    root.family = BrowserFamily::Chromium;
    root.dataDir = std::move(dataDir);
    root.cacheRoot = std::move(cacheRoot);
    root.profileIsRoot = profileIsRoot;
    root.sandboxed = sandboxed;
    roots.push_back(std::move(root));
  };
  for (const ChromiumPackage& package : kChromiumPackages)
    add(package.browser, config + package.folder, cache + package.folder, package.profileIsRoot,
        false);
  // The snap keeps the cache inside each profile.
  add("chromium-snap", home + "snap/chromium/common/chromium", "", false, false);
  for (const ChromiumFlatpak& flatpak : kChromiumFlatpaks) {
    const std::string app = home + ".var/app/" + flatpak.app + "/";
    add(flatpak.browser, app + "config/" + flatpak.folder, app + "cache/" + flatpak.folder,
        flatpak.profileIsRoot, true);
  }
  return roots;
}

}  // namespace

std::vector<BrowserRoot> browserRoots(BrowserFamily family) {
  return family == BrowserFamily::Firefox ? firefoxRoots() : chromiumRoots();
}

std::string browserTitle(const std::string& browser) {
  for (const Kind& kind : kKinds)
    if (browser == kind.browser) return kind.title;
  return browser;
}

}  // namespace browsers
