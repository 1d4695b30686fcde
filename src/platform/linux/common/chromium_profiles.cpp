// Chromium-family profiles: the user-data folders, Local State and the cache
// folders.
#include <nlohmann/json.hpp>
#include <set>

#include "platform/linux/common/profile_search.h"
#include "platform/linux/common/xdg_paths.h"

namespace platform::linux_os::profiles {

namespace {

struct ChromiumRoot {
  std::string browser;
  std::string userDataDir;
  std::string cacheRoot;  // "<cacheRoot>/<profile folder>"; "" keeps the cache in the profile
};

std::vector<ChromiumRoot> chromiumRoots() {
  const std::string home = homeFolder();
  const std::string config = xdgConfigHome();
  const std::string cache = xdgCacheHome();
  std::vector<ChromiumRoot> roots;
  const std::pair<const char*, const char*> underConfig[] = {
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
  };
  for (const auto& [browser, relative] : underConfig)
    roots.push_back({browser, config + "/" + relative, cache + "/" + relative});
  roots.push_back({"chromium-snap", home + "/snap/chromium/common/chromium", ""});
  struct Flatpak {
    const char* browser;
    const char* app;
    const char* name;
  };
  const Flatpak flatpaks[] = {
      {"chromium-flatpak", "org.chromium.Chromium", "chromium"},
      {"chromium-flatpak", "io.github.ungoogled_software.ungoogled_chromium", "chromium"},
      {"chrome-flatpak", "com.google.Chrome", "google-chrome"},
      {"brave-flatpak", "com.brave.Browser", "BraveSoftware/Brave-Browser"},
      {"vivaldi-flatpak", "com.vivaldi.Vivaldi", "vivaldi"},
      {"edge-flatpak", "com.microsoft.Edge", "microsoft-edge"},
  };
  for (const Flatpak& flatpak : flatpaks) {
    const std::string app = home + "/.var/app/" + flatpak.app;
    roots.push_back(
        {flatpak.browser, app + "/config/" + flatpak.name, app + "/cache/" + flatpak.name});
  }
  return roots;
}

bool skippedFolder(const std::string& folder) {
  return folder == "System Profile" || folder == "Guest Profile";
}

// profile.info_cache of Local State: profile folder -> display name. A file
// that is not the JSON we expect names nobody.
std::vector<std::pair<std::string, std::string>> localStateProfiles(const std::string& dataDir) {
  std::vector<std::pair<std::string, std::string>> named;
  const nlohmann::json state =
      nlohmann::json::parse(readSmallFile(dataDir + "/Local State"), nullptr, false);
  if (!state.is_object()) return named;
  auto profile = state.find("profile");
  if (profile == state.end() || !profile->is_object()) return named;
  auto cache = profile->find("info_cache");
  if (cache == profile->end() || !cache->is_object()) return named;
  for (const auto& [folder, info] : cache->items()) {
    std::string name;
    if (info.is_object()) {
      auto it = info.find("name");
      if (it != info.end() && it->is_string()) name = it->get<std::string>();
    }
    named.emplace_back(folder, name.empty() ? folder : name);
  }
  return named;
}

bool usableFolderName(const std::string& folder) {
  return !folder.empty() && folder != "." && folder != ".." &&
         folder.find('/') == std::string::npos && !skippedFolder(folder);
}

void scanRoot(const ChromiumRoot& root, std::vector<BrowserProfile>& out) {
  if (!isDirectory(root.userDataDir)) return;
  std::set<std::string> listed;
  auto add = [&](const std::string& folder, const std::string& name) {
    const std::string dir = root.userDataDir + "/" + folder;
    if (!usableFolderName(folder) || !isDirectory(dir) || !listed.insert(folder).second) return;
    BrowserProfile profile;
    profile.family = BrowserFamily::Chromium;
    profile.browser = root.browser;
    profile.name = name;
    profile.profileDir = dir;
    profile.cacheDir = root.cacheRoot.empty() ? dir : root.cacheRoot + "/" + folder;
    profile.userDataDir = root.userDataDir;
    out.push_back(std::move(profile));
  };
  for (const auto& [folder, name] : localStateProfiles(root.userDataDir)) add(folder, name);
  // Profiles that Local State does not name: any folder with Preferences.
  for (const std::string& folder : subFolders(root.userDataDir))
    if (isFile(root.userDataDir + "/" + folder + "/Preferences")) add(folder, folder);
}

}  // namespace

void findChromiumProfiles(std::vector<BrowserProfile>& out) {
  for (const ChromiumRoot& root : chromiumRoots()) scanRoot(root, out);
}

}  // namespace platform::linux_os::profiles
