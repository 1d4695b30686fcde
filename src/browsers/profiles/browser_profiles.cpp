#include "browsers/profiles/browser_profiles.h"

#include <algorithm>
#include <optional>
#include <set>

#include "browsers/profiles/browser_families.h"
#include "browsers/profiles/profile_search.h"
#include "platform/file_access.h"

namespace browsers {

namespace profiles {

std::vector<std::string> subFolders(const std::string& folder) {
  const platform::files::OpenFolder open = platform::files::OpenFolder::open(folder);
  std::vector<std::string> names;
  for (std::string& name : open.names()) {
    const std::optional<platform::files::EntryInfo> info = open.info(name);
    if (info && (info->kind == platform::files::EntryKind::Folder ||
                 info->kind == platform::files::EntryKind::Link))
      names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string readSmallFile(const std::string& path, std::size_t maxBytes) {
  std::string content;
  platform::files::readWholeFile(path, maxBytes, content);
  return content;
}

std::optional<platform::files::HeldFolder> holdFolder(const std::string& path,
                                                      ProfileSearch& search) {
  platform::files::FolderHold hold = platform::files::holdUserFolder(path);
  if (hold.result == platform::files::FolderHold::Result::Refused)
    search.refused.push_back({path, std::move(hold.refusal)});
  if (hold.result != platform::files::FolderHold::Result::Held) return std::nullopt;
  return std::move(hold.folder);
}

}  // namespace profiles

ProfileSearch searchBrowserProfiles() {
  ProfileSearch found;
  profiles::findFirefoxProfiles(found);
  profiles::findChromiumProfiles(found);
  // One profile can be reached through two roots (a link, a legacy folder);
  // keep its first sighting, known by the folder found, not by a path.
  std::set<std::pair<std::uint64_t, std::uint64_t>> seen;
  ProfileSearch unique;
  unique.refused = std::move(found.refused);
  for (BrowserProfile& profile : found.profiles) {
    if (seen.insert({profile.folderDevice, profile.folderInode}).second)
      unique.profiles.push_back(std::move(profile));
  }
  return unique;
}

std::vector<BrowserProfile> findBrowserProfiles() {
  return searchBrowserProfiles().profiles;
}

std::string displayName(const BrowserProfile& profile) {
  return browserTitle(profile.browser) + " (profile " + profile.name + ")";
}

}  // namespace browsers
