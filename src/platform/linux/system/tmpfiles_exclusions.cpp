#include "platform/linux/system/tmpfiles_exclusions.h"

#include <dirent.h>
#include <fnmatch.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string_view>
#include <utility>

namespace platform::linux_os {

namespace {

// Earlier folders hide the files of the same name in later ones.
constexpr const char* kConfigFolders[] = {"/etc/tmpfiles.d", "/run/tmpfiles.d",
                                          "/usr/local/lib/tmpfiles.d", "/usr/lib/tmpfiles.d"};
// Configuration is a few lines; a file larger than this is not one.
constexpr std::streamsize kMaxConfigBytes = 1 << 20;

// Every *.conf file that counts, by name: the first folder to hold a name wins.
std::map<std::string, std::string> configFiles(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const char* folder : kConfigFolders) {
    const std::string path = root + folder;
    DIR* dir = opendir(path.c_str());
    if (!dir) continue;
    while (const dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name.size() > 5 && name.ends_with(".conf")) files.emplace(name, path + "/" + name);
    }
    closedir(dir);
  }
  return files;
}

// A link to /dev/null hides the file of its name and holds nothing itself.
bool masked(const std::string& path) {
  char target[PATH_MAX];
  const ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
  return n > 0 && std::string(target, static_cast<std::size_t>(n)) == "/dev/null";
}

// The path with its specifiers replaced: %T and %V by the folders they name,
// %% by %, every other one (boot id, machine id, user ...) by a wildcard.
std::string withoutSpecifiers(const std::string& path) {
  std::string out;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (path[i] != '%' || i + 1 == path.size()) {
      out += path[i];
      continue;
    }
    const char specifier = path[++i];
    if (specifier == '%')
      out += '%';
    else if (specifier == 'T')
      out += "/tmp";
    else if (specifier == 'V')
      out += "/var/tmp";
    else
      out += '*';
  }
  return out;
}

// The type letter of a line's first field, without its modifiers; 0 when the
// field is not a type.
char typeOf(const std::string& field) {
  if (field.empty()) return 0;
  for (std::size_t i = 1; i < field.size(); ++i)
    if (std::string_view("!-=~^+$?").find(field[i]) == std::string_view::npos) return 0;
  return field[0];
}

// The path field after the type: a double-quoted one may hold spaces.
std::string pathField(std::istringstream& fields) {
  fields >> std::ws;
  if (fields.peek() != '"') {
    std::string path;
    fields >> path;
    return path;
  }
  fields.get();
  std::string path;
  std::getline(fields, path, '"');
  return path;
}

void readExclusions(const std::string& file, std::vector<KeptPattern>& out) {
  std::ifstream in(file);
  std::string line;
  std::streamsize read = 0;
  while (read < kMaxConfigBytes && std::getline(in, line)) {
    read += static_cast<std::streamsize>(line.size()) + 1;
    std::istringstream fields(line);
    std::string type;
    if (!(fields >> type) || type[0] == '#') continue;
    const char letter = typeOf(type);
    if (letter != 'x' && letter != 'X') continue;
    std::string path = withoutSpecifiers(pathField(fields));
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (!path.empty() && path[0] == '/') out.push_back({std::move(path), letter == 'x'});
  }
}

std::string realFolder(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

}  // namespace

std::vector<KeptPattern> ReadTmpfilesExclusions(const std::string& configRoot) {
  std::vector<KeptPattern> patterns;
  for (const auto& [name, path] : configFiles(configRoot))
    if (!masked(path)) readExclusions(path, patterns);
  return patterns;
}

std::vector<KeptPattern> BuiltInExclusions(const std::string& sharedFolder) {
  static constexpr const char* kKept[] = {".X*-lock",         ".X11-unix",        ".ICE-unix",
                                          ".XIM-unix",        ".font-unix",       ".Test-unix",
                                          "snap-private-tmp", "systemd-private-*"};
  std::vector<KeptPattern> patterns;
  for (const char* name : kKept) patterns.push_back({sharedFolder + "/" + name, true});
  return patterns;
}

std::string KeptBy(const std::vector<KeptPattern>& patterns, const std::string& sharedFolder,
                   const std::string& relative) {
  // From the top down, so that a kept folder is named rather than each file in it.
  for (std::size_t end = relative.find('/');; end = relative.find('/', end + 1)) {
    const bool whole = end == std::string::npos;
    const std::string prefix = whole ? relative : relative.substr(0, end);
    const std::string path = sharedFolder + "/" + prefix;
    for (const KeptPattern& pattern : patterns) {
      if (pattern.glob == sharedFolder) {
        // The whole folder kept from cleaning keeps every entry in it.
        if (pattern.withContents) return prefix;
        continue;
      }
      if ((pattern.withContents || whole) &&
          fnmatch(pattern.glob.c_str(), path.c_str(), FNM_PATHNAME) == 0)
        return prefix;
    }
    if (whole) return {};
  }
}

SystemKeeps SystemKeepsAs(const std::string& sharedFolder, const std::string& configRoot) {
  std::vector<KeptPattern> patterns = BuiltInExclusions(sharedFolder);
  for (KeptPattern& pattern : ReadTmpfilesExclusions(configRoot))
    patterns.push_back(std::move(pattern));
  return [patterns = std::move(patterns), sharedFolder](const std::string& relative) {
    return KeptBy(patterns, sharedFolder, relative);
  };
}

SystemKeeps SystemKeepsIn(const std::string& folder) {
  const std::string real = realFolder(folder);
  if (real.empty()) return {};
  for (const char* shared : {"/tmp", "/var/tmp"})
    if (real == realFolder(shared)) return SystemKeepsAs(shared);
  return {};
}

}  // namespace platform::linux_os
