// Chromium-family profiles: the user-data folders, Local State and the cache
// folders. Opera's user-data folder is its one profile.
#include <nlohmann/json.hpp>
#include <set>

#include "browsers/profiles/browser_families.h"
#include "browsers/profiles/profile_search.h"
#include "platform/file_access.h"
#include "platform/paths.h"

namespace browsers::profiles {

namespace {

bool skippedFolder(const std::string& folder) {
  return folder == "System Profile" || folder == "Guest Profile";
}

// profile.info_cache of Local State: profile folder -> display name. A file
// that is not the JSON we expect names nobody.
std::vector<std::pair<std::string, std::string>> localStateProfiles(const std::string& dataDir) {
  std::vector<std::pair<std::string, std::string>> named;
  const nlohmann::json state = nlohmann::json::parse(
      readSmallFile(platform::pathBelow(dataDir, "Local State")), nullptr, false);
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

BrowserProfile profileOf(const BrowserRoot& root, const platform::files::HeldFolder& rootFolder,
                         const platform::files::HeldFolder& folder, const std::string& name,
                         const std::string& cacheDir) {
  BrowserProfile profile;
  profile.family = BrowserFamily::Chromium;
  profile.browser = root.browser;
  profile.name = name;
  profile.profileDir = folder.realPath;
  profile.cacheDir = cacheDir;
  profile.userDataDir = rootFolder.realPath;
  profile.sandboxed = root.sandboxed;
  profile.folderDevice = folder.device;
  profile.folderInode = folder.inode;
  return profile;
}

// The profiles are found in the folder the user-data path led to, held while
// they are looked for, never through the path again; a profile folder
// ("Default") may itself be a link the user made.
void scanRoot(const BrowserRoot& root, ProfileSearch& search) {
  const std::optional<platform::files::HeldFolder> held = holdFolder(root.dataDir, search);
  if (!held) return;
  const std::string& dataDir = held->realPath;
  if (root.profileIsRoot) {
    if (platform::files::isRegularFile(platform::pathBelow(dataDir, "Preferences")))
      search.profiles.push_back(profileOf(root, *held, *held, "Default",
                                          root.cacheRoot.empty() ? dataDir : root.cacheRoot));
    return;
  }
  std::set<std::string> listed;
  auto add = [&](const std::string& folder, const std::string& name) {
    // Each folder is looked at once, so a refusal is told once.
    if (!usableFolderName(folder) || !listed.insert(folder).second) return;
    const std::optional<platform::files::HeldFolder> profileFolder =
        holdFolder(platform::pathBelow(dataDir, folder), search);
    if (!profileFolder) return;
    const std::string cacheDir = root.cacheRoot.empty()
                                     ? profileFolder->realPath
                                     : platform::pathBelow(root.cacheRoot, folder);
    search.profiles.push_back(profileOf(root, *held, *profileFolder, name, cacheDir));
  };
  for (const auto& [folder, name] : localStateProfiles(dataDir)) add(folder, name);
  // Profiles that Local State does not name: any folder with Preferences.
  for (const std::string& folder : subFolders(dataDir))
    if (platform::files::isRegularFile(
            platform::pathBelow(platform::pathBelow(dataDir, folder), "Preferences")))
      add(folder, folder);
}

}  // namespace

void findChromiumProfiles(ProfileSearch& search) {
  for (const BrowserRoot& root : browserRoots(BrowserFamily::Chromium)) scanRoot(root, search);
}

}  // namespace browsers::profiles
