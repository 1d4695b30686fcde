#include "platform/linux/common/xdg_paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

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

std::string xdgConfigHome() { return xdg("XDG_CONFIG_HOME", "/.config"); }
std::string xdgDataHome() { return xdg("XDG_DATA_HOME", "/.local/share"); }
std::string xdgCacheHome() { return xdg("XDG_CACHE_HOME", "/.cache"); }
std::string xdgRuntimeDir() { return absoluteEnv("XDG_RUNTIME_DIR"); }

std::string cookieFolder() { return xdgDataHome() + "/tracesweep/Cookies"; }

}  // namespace platform::linux_os
