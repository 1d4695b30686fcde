#include "platform/paths.h"

namespace platform {

// The character code the build gives for the chosen system.
const char kPathSeparator = TRACESWEEP_PATH_SEPARATOR;

namespace {

bool backslashSystem() {
  return kPathSeparator == '\\';
}

// Length of the root that starts path: 1 for "/", 3 for "C:\", else 0.
std::size_t rootLength(std::string_view path) {
  if (backslashSystem() && path.size() >= 3 && path[1] == ':' && isPathSeparator(path[2]) &&
      ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')))
    return 3;
  return !path.empty() && isPathSeparator(path[0]) ? 1 : 0;
}

std::size_t lastSeparator(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i)
    if (isPathSeparator(path[i - 1])) return i - 1;
  return std::string_view::npos;
}

}  // namespace

bool isPathSeparator(char c) {
  return c == '/' || c == kPathSeparator;
}

std::string joinPath(std::string_view folder, std::string_view name) {
  if (folder.empty()) return std::string(name);
  while (!name.empty() && isPathSeparator(name.front())) name.remove_prefix(1);
  std::string joined(folder);
  if (!isPathSeparator(joined.back())) joined += kPathSeparator;
  joined += name;
  return joined;
}

std::string fileNameOf(std::string_view path) {
  const std::size_t cut = lastSeparator(path);
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string folderOf(std::string_view path) {
  const std::size_t cut = lastSeparator(path);
  if (cut == std::string_view::npos) return {};
  const std::size_t root = rootLength(path);
  return std::string(path.substr(0, cut < root ? root : cut));
}

bool isAbsolutePath(std::string_view path) {
  return rootLength(path) > 0;
}

std::string withoutTrailingSeparators(std::string_view path) {
  const std::size_t root = rootLength(path);
  while (path.size() > root && isPathSeparator(path.back())) path.remove_suffix(1);
  return std::string(path);
}

std::string nativePath(std::string_view path) {
  std::string native(path);
  for (char& c : native)
    if (isPathSeparator(c)) c = kPathSeparator;
  return native;
}

std::string pathBelow(std::string_view folder, std::string_view relative) {
  return joinPath(folder, nativePath(relative));
}

}  // namespace platform
