// Firefox-family profiles: the roots, profiles.ini and the cache folders.
#include <map>
#include <set>
#include <sstream>

#include "browsers/profiles/browser_families.h"
#include "browsers/profiles/profile_search.h"
#include "platform/file_access.h"
#include "platform/paths.h"

namespace browsers::profiles {

namespace {

std::string trim(const std::string& text) {
  const char* blanks = " \t\r\n";
  std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

using IniSection = std::map<std::string, std::string>;

// Every [Profile*] section of profiles.ini, in file order; gaps in the
// numbering do not end the list.
std::vector<IniSection> profileSections(const std::string& text) {
  std::vector<IniSection> sections;
  IniSection* current = nullptr;
  std::istringstream in(text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? text.substr(3) : text);
  for (std::string line; std::getline(in, line);) {
    line = trim(line);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line.front() == '[') {
      std::string name = line.back() == ']' ? line.substr(1, line.size() - 2) : std::string();
      current = name.rfind("Profile", 0) == 0 ? &sections.emplace_back() : nullptr;
      continue;
    }
    std::size_t eq = line.find('=');
    if (current && eq != std::string::npos)
      (*current)[trim(line.substr(0, eq))] = trim(line.substr(eq + 1));
  }
  return sections;
}

// The value of a string pref in prefs.js or user.js; "" when not set.
std::string stringPref(const std::string& file, const std::string& pref) {
  const std::string text = readSmallFile(file);
  const std::string needle = "\"" + pref + "\"";
  std::string value;
  for (std::size_t at = text.find(needle); at != std::string::npos;
       at = text.find(needle, at + 1)) {
    std::size_t quote = text.find('"', text.find(',', at + needle.size()));
    if (quote == std::string::npos) break;
    std::string parsed;
    std::size_t i = quote + 1;
    for (; i < text.size() && text[i] != '"' && text[i] != '\n'; ++i) {
      if (text[i] == '\\' && i + 1 < text.size()) ++i;
      parsed.push_back(text[i]);
    }
    if (i < text.size() && text[i] == '"') value = parsed;  // the last setting wins
  }
  return value;
}

std::string lastPart(const std::string& path) {
  return platform::fileNameOf(platform::withoutTrailingSeparators(path));
}

// A user-chosen cache location (browser.cache.disk.parent_directory) wins
// over the usual one; user.js overrides prefs.js.
std::string cacheFolder(const std::string& profileDir, const std::string& usual) {
  std::string moved =
      stringPref(platform::pathBelow(profileDir, "user.js"), "browser.cache.disk.parent_directory");
  if (moved.empty())
    moved = stringPref(platform::pathBelow(profileDir, "prefs.js"),
                       "browser.cache.disk.parent_directory");
  return !moved.empty() && moved[0] == '/' ? moved : usual;
}

void addProfile(ProfileSearch& search, std::set<std::string>& listed, const BrowserRoot& root,
                const std::string& name, const std::string& dir, const std::string& usualCache) {
  // Each folder is looked at once, so a refusal is told once.
  if (!listed.insert(dir).second) return;
  const std::optional<platform::files::HeldFolder> folder = holdFolder(dir, search);
  if (!folder) return;
  BrowserProfile profile;
  profile.family = BrowserFamily::Firefox;
  profile.browser = root.browser;
  profile.name = name.empty() ? lastPart(dir) : name;
  profile.profileDir = folder->realPath;
  profile.cacheDir = cacheFolder(profile.profileDir, usualCache);
  profile.sandboxed = root.sandboxed;
  profile.folderDevice = folder->device;
  profile.folderInode = folder->inode;
  search.profiles.push_back(std::move(profile));
}

// The profiles below the root are found in the folder the root's path led
// to, held while they are looked for, never through the path again.
void scanRoot(const BrowserRoot& root, ProfileSearch& search) {
  const std::optional<platform::files::HeldFolder> held = holdFolder(root.dataDir, search);
  if (!held) return;
  const std::string& dataDir = held->realPath;
  std::set<std::string> listed;
  for (IniSection& section :
       profileSections(readSmallFile(platform::pathBelow(dataDir, "profiles.ini")))) {
    const std::string path = section["Path"];
    if (path.empty()) continue;
    const bool relative = section["IsRelative"] != "0";
    if (!relative && path[0] != '/') continue;
    const std::string dir = relative ? platform::pathBelow(dataDir, path) : path;
    addProfile(search, listed, root, section["Name"], dir,
               relative ? platform::pathBelow(root.cacheRoot, path) : dir);
  }
  // Profiles that profiles.ini does not (or no longer) name still hold traces.
  for (const std::string& folder : subFolders(dataDir)) {
    const std::string dir = platform::pathBelow(dataDir, folder);
    if (platform::files::isRegularFile(platform::pathBelow(dir, "places.sqlite")) ||
        platform::files::isRegularFile(platform::pathBelow(dir, "cookies.sqlite")))
      addProfile(search, listed, root, folder, dir, platform::pathBelow(root.cacheRoot, folder));
  }
}

}  // namespace

void findFirefoxProfiles(ProfileSearch& search) {
  for (const BrowserRoot& root : browserRoots(BrowserFamily::Firefox)) scanRoot(root, search);
}

}  // namespace browsers::profiles
