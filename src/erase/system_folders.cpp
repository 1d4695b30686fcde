#include "erase/system_folders.h"

#include <array>
#include <filesystem>
#include <string_view>

namespace erasure {

namespace {

constexpr std::array<std::string_view, 24> kTopLevel = {
    "bin",    "boot",  "dev", "etc", "home", "lib",  "lib32", "lib64",
    "libx32", "media", "mnt", "opt", "proc", "root", "run",   "sbin",
    "snap",   "srv",   "sys", "tmp", "usr",  "var",  "efi",   "lost+found"};

std::string normalised(const std::string& path) {
  std::string text = std::filesystem::path(path).lexically_normal().generic_string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

bool isTopLevel(std::string_view name) {
  for (std::string_view top : kTopLevel)
    if (name == top) return true;
  return false;
}

}  // namespace

bool IsWholeSystemFolder(const std::string& folder, const std::string& home) {
  const std::string path = normalised(folder);
  if (path.empty() || path[0] != '/') return false;
  if (path == "/") return true;
  const std::string_view rest = std::string_view(path).substr(1);
  const auto slash = rest.find('/');
  const std::string_view first = rest.substr(0, slash);
  if (slash == std::string_view::npos) return isTopLevel(first);
  const std::string_view below = rest.substr(slash + 1);
  if (below.find('/') == std::string_view::npos &&
      (first == "usr" || first == "var" || first == "home"))
    return true;
  if (!home.empty()) {
    const std::string homePath = normalised(home);
    // home itself, or a folder that holds it
    if (homePath == path || homePath.rfind(path + "/", 0) == 0) return true;
  }
  return false;
}

}  // namespace erasure
