// Chromium-family profiles: the user-data folders, Local State and the cache
// folders. Opera's user-data folder is its one profile.
#include <nlohmann/json.hpp>
#include <set>

#include "platform/linux/common/browser_families.h"
#include "platform/linux/common/profile_search.h"

namespace platform::linux_os::profiles {

namespace {

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

BrowserProfile profileOf(const BrowserRoot& root, const std::string& dir, const std::string& name,
                         const std::string& cacheDir) {
  BrowserProfile profile;
  profile.family = BrowserFamily::Chromium;
  profile.browser = root.browser;
  profile.name = name;
  profile.profileDir = dir;
  profile.cacheDir = cacheDir;
  profile.userDataDir = root.dataDir;
  profile.sandboxed = root.sandboxed;
  return profile;
}

void scanRoot(const BrowserRoot& root, std::vector<BrowserProfile>& out) {
  if (!isDirectory(root.dataDir)) return;
  if (root.profileIsRoot) {
    if (isFile(root.dataDir + "/Preferences"))
      out.push_back(profileOf(root, root.dataDir, "Default",
                              root.cacheRoot.empty() ? root.dataDir : root.cacheRoot));
    return;
  }
  std::set<std::string> listed;
  auto add = [&](const std::string& folder, const std::string& name) {
    const std::string dir = root.dataDir + "/" + folder;
    if (!usableFolderName(folder) || !isDirectory(dir) || !listed.insert(folder).second) return;
    out.push_back(
        profileOf(root, dir, name, root.cacheRoot.empty() ? dir : root.cacheRoot + "/" + folder));
  };
  for (const auto& [folder, name] : localStateProfiles(root.dataDir)) add(folder, name);
  // Profiles that Local State does not name: any folder with Preferences.
  for (const std::string& folder : subFolders(root.dataDir))
    if (isFile(root.dataDir + "/" + folder + "/Preferences")) add(folder, folder);
}

}  // namespace

void findChromiumProfiles(std::vector<BrowserProfile>& out) {
  for (const BrowserRoot& root : browserRoots(BrowserFamily::Chromium)) scanRoot(root, out);
}

}  // namespace platform::linux_os::profiles
