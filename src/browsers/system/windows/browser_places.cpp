// Where each browser keeps its profiles on Windows: the roaming application
// data for what follows the user (Firefox's profiles.ini and profiles,
// Opera's profile), the local application data for caches and for the
// Chromium family's user-data folders, which keep each profile's cache
// inside the profile (<profile>\Cache\Cache_Data).
#include "browsers/profiles/browser_families.h"
#include "platform/paths.h"
#include "platform/windows/system_text.h"
#include "platform/windows/win32.h"  // SHGetKnownFolderPath

namespace browsers {

namespace {

// A folder of the user: the live environment's variable (APPDATA,
// LOCALAPPDATA, which the system sets for every process and a caller may
// point elsewhere), else the known folder ("" when the system has none).
std::string userFolder(const wchar_t* variable, REFKNOWNFOLDERID id) {
  std::wstring value(32767, L'\0');  // the longest value the system allows
  const DWORD length =
      GetEnvironmentVariableW(variable, value.data(), static_cast<DWORD>(value.size()));
  if (length > 0 && length < value.size()) return platform::windows_os::fromWide(value.c_str());
  wchar_t* path = nullptr;
  std::string folder;
  if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path)))
    folder = platform::windows_os::fromWide(path);
  CoTaskMemFree(path);
  return folder;
}

// Firefox family: profiles.ini and the profiles in the roaming folder, a
// relative profile's cache below the same path in the local folder.
// Firefox's nsXREDirProvider::GetUserDataDirectoryHome takes the roaming
// (or, for the cache, local) application data and AppendProfilePath adds
// "<vendor>\<name>"; the forks ship their own vendor and name.
struct FirefoxPlace {
  const char* browser;
  const char* folder;  // below both application-data folders
};

const FirefoxPlace kFirefoxPlaces[] = {
    {"firefox", "Mozilla\\Firefox"},  // vendor "Mozilla", name "Firefox"
    {"librewolf", "librewolf"},       // LibreWolf's Windows build: no vendor
    {"waterfox", "Waterfox"},        {"floorp", "Floorp"}, {"zen", "zen"},
};

// Chromium family: the user-data folder in the local application data
// (chrome_paths_win.cc GetDefaultUserDataDirectory: <company>\<product>
// <install suffix>\User Data, the suffix from install_static's install
// modes: "" stable, " Beta", " Dev", " SxS" for Canary).
struct ChromiumPlace {
  const char* browser;
  const char* folder;  // below the local application data
};

const ChromiumPlace kChromiumPlaces[] = {
    {"chrome", "Google\\Chrome\\User Data"},
    {"chrome-beta", "Google\\Chrome Beta\\User Data"},
    {"chrome-unstable", "Google\\Chrome Dev\\User Data"},  // the Dev channel, as on Linux
    {"chrome-canary", "Google\\Chrome SxS\\User Data"},
    {"chromium", "Chromium\\User Data"},  // no company for Chromium
    // Edge keeps Chromium's scheme under Microsoft\Edge.
    {"edge", "Microsoft\\Edge\\User Data"},
    {"edge-beta", "Microsoft\\Edge Beta\\User Data"},
    {"edge-dev", "Microsoft\\Edge Dev\\User Data"},
    // brave-core's install modes: company BraveSoftware, product
    // Brave-Browser, suffixes "-Beta", "-Nightly".
    {"brave", "BraveSoftware\\Brave-Browser\\User Data"},
    {"brave-beta", "BraveSoftware\\Brave-Browser-Beta\\User Data"},
    {"brave-nightly", "BraveSoftware\\Brave-Browser-Nightly\\User Data"},
    {"vivaldi", "Vivaldi\\User Data"},
};

// Opera keeps its one profile as the user-data folder itself in the roaming
// application data, and its cache under the same path in the local one.
struct OperaPlace {
  const char* browser;
  const char* folder;  // below both application-data folders
};

const OperaPlace kOperaPlaces[] = {
    {"opera", "Opera Software\\Opera Stable"},
    {"opera-gx", "Opera Software\\Opera GX Stable"},
};

BrowserRoot rootOf(const char* browser, BrowserFamily family, std::string dataDir,
                   std::string cacheRoot, bool profileIsRoot) {
  BrowserRoot root;
  root.browser = browser;
  root.family = family;
  root.dataDir = std::move(dataDir);
  root.cacheRoot = std::move(cacheRoot);
  root.profileIsRoot = profileIsRoot;
  return root;
}

std::vector<BrowserRoot> firefoxRoots(const std::string& roaming, const std::string& local) {
  std::vector<BrowserRoot> roots;
  for (const FirefoxPlace& place : kFirefoxPlaces)
    roots.push_back(rootOf(place.browser, BrowserFamily::Firefox,
                           platform::joinPath(roaming, place.folder),
                           platform::joinPath(local, place.folder), false));
  return roots;
}

std::vector<BrowserRoot> chromiumRoots(const std::string& roaming, const std::string& local) {
  std::vector<BrowserRoot> roots;
  for (const ChromiumPlace& place : kChromiumPlaces)
    roots.push_back(rootOf(place.browser, BrowserFamily::Chromium,
                           platform::joinPath(local, place.folder), "", false));
  for (const OperaPlace& place : kOperaPlaces)
    roots.push_back(rootOf(place.browser, BrowserFamily::Chromium,
                           platform::joinPath(roaming, place.folder),
                           platform::joinPath(local, place.folder), true));
  return roots;
}

}  // namespace

bool systemBrowserStores() {
  return true;
}

std::vector<BrowserRoot> browserRoots(BrowserFamily family) {
  const std::string roaming = userFolder(L"APPDATA", FOLDERID_RoamingAppData);
  const std::string local = userFolder(L"LOCALAPPDATA", FOLDERID_LocalAppData);
  // Without the folders there is nowhere to look: a relative path would
  // name the working folder.
  if (roaming.empty() || local.empty()) return {};
  return family == BrowserFamily::Firefox ? firefoxRoots(roaming, local)
                                          : chromiumRoots(roaming, local);
}

}  // namespace browsers
