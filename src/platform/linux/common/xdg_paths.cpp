#include "platform/linux/common/xdg_paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/linux/common/posix_files.h"

namespace platform::linux_os {

static std::string absoluteEnv(const char* name) {
  const char* value = std::getenv(name);
  return value && value[0] == '/' ? std::string(value) : std::string();
}

std::string homeFolder() {
  std::string home = absoluteEnv("HOME");
  if (!home.empty()) return home;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

static std::string xdg(const char* name, const char* fallback) {
  std::string value = absoluteEnv(name);
  return value.empty() ? homeFolder() + fallback : value;
}

std::string xdgConfigHome() {
  return xdg("XDG_CONFIG_HOME", "/.config");
}
std::string xdgDataHome() {
  return xdg("XDG_DATA_HOME", "/.local/share");
}
std::string xdgCacheHome() {
  return xdg("XDG_CACHE_HOME", "/.cache");
}
std::string xdgStateHome() {
  return xdg("XDG_STATE_HOME", "/.local/state");
}
std::string xdgRuntimeDir() {
  return absoluteEnv("XDG_RUNTIME_DIR");
}

bool ensureFolder(const std::string& path, unsigned mode) {
  if (path.empty()) return false;
  // errno says why not: ENOTDIR for a name that is there but no folder.
  auto isFolder = [&path] {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return false;
    if (!S_ISDIR(st.st_mode)) errno = ENOTDIR;
    return S_ISDIR(st.st_mode);
  };
  if (struct stat st{}; stat(path.c_str(), &st) == 0) return isFolder();
  const std::string parent = folderOf(path);
  if (parent != "." && parent != "/" && !ensureFolder(parent, mode)) return false;
  if (mkdir(path.c_str(), static_cast<mode_t>(mode)) == 0 || errno == EEXIST) return isFolder();
  return false;
}

}  // namespace platform::linux_os
