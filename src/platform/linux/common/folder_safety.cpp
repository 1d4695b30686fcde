#include "platform/linux/common/folder_safety.h"

#include <pwd.h>
#include <unistd.h>

#include <array>
#include <climits>
#include <cstdlib>
#include <string_view>

#include "platform/linux/common/xdg_paths.h"

namespace platform::linux_os {

namespace {

std::string resolved(const std::string& path) {
  if (path.empty()) return {};
  char buffer[PATH_MAX];
  return realpath(path.c_str(), buffer) ? std::string(buffer) : std::string();
}

bool isInside(std::string_view parent, const std::string& folder) {
  return folder.size() > parent.size() && folder.compare(0, parent.size(), parent) == 0 &&
         folder[parent.size()] == '/';
}

// True when ancestor is folder itself or a folder above it.
bool isSameOrAbove(const std::string& ancestor, const std::string& folder) {
  if (ancestor.empty() || folder.empty()) return false;
  return ancestor == "/" || ancestor == folder || isInside(ancestor, folder);
}

// Folders of the system: never a temporary folder, whoever runs the program.
bool isSystemFolder(const std::string& folder) {
  static constexpr std::array<std::string_view, 12> kWholeTrees = {
      "/usr",   "/etc",   "/boot",   "/bin",  "/sbin", "/lib",
      "/lib32", "/lib64", "/libx32", "/proc", "/sys",  "/dev"};
  static constexpr std::array<std::string_view, 8> kFoldersThemselves = {
      "/var", "/run", "/home", "/opt", "/srv", "/root", "/mnt", "/media"};
  for (std::string_view tree : kWholeTrees)
    if (folder == tree || isInside(tree, folder)) return true;
  for (std::string_view top : kFoldersThemselves)
    if (folder == top) return true;
  return false;
}

}  // namespace

bool MayClearFolder(const std::string& folder) {
  const std::string target = resolved(folder);
  if (target.empty() || target == "/" || isSystemFolder(target)) return false;
  // Both the home folder of the environment and that of the user database.
  std::string homes[2] = {homeFolder(), {}};
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) homes[1] = pw->pw_dir;
  for (const std::string& home : homes) {
    if (home.empty()) continue;
    if (isSameOrAbove(target, home)) return false;
    const std::string realHome = resolved(home);
    if (isSameOrAbove(target, realHome)) return false;
  }
  return true;
}

}  // namespace platform::linux_os
