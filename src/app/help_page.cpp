#include "app/help_page.h"

#include <cstdint>
#include <filesystem>

#ifndef TRACESWEEP_HELP_FILE
#define TRACESWEEP_HELP_FILE "/usr/share/doc/tracesweep/help.html"
#endif

namespace app {
namespace {

// Relative to the program's folder: the installed layout (bin/ beside
// share/doc/) and the build tree, which copies the page the same way.
constexpr const char* kBesideProgram = "../share/doc/tracesweep/help.html";

std::string installedHelp(forms::Platform& platform) {
  std::string folder = platform.process.programFolder();
  std::string candidates[] = {
      folder.empty() ? std::string()
                     : (std::filesystem::path(folder) / kBesideProgram).lexically_normal().string(),
      TRACESWEEP_HELP_FILE};
  for (const std::string& path : candidates) {
    std::int64_t length = 0;
    if (!path.empty() && platform.files.fileLength(path, length) == 0 && length > 0) return path;
  }
  return TRACESWEEP_HELP_FILE;
}

}  // namespace

std::string fileUrl(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (unsigned char c : path) {
    bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                 c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
    if (plain) {
      url.push_back(static_cast<char>(c));
    } else {
      url.push_back('%');
      url.push_back(kHex[c >> 4]);
      url.push_back(kHex[c & 0xF]);
    }
  }
  return url;
}

std::string helpLocation(forms::Platform& platform, std::string_view section,
                         std::string_view maker) {
  if (identity::makerConfigured(maker)) return identity::helpUrl(maker);
  std::string url = fileUrl(installedHelp(platform));
  if (!section.empty()) url += "#" + std::string(section);
  return url;
}

std::string homeLocation(forms::Platform& platform, std::string_view maker) {
  if (identity::makerConfigured(maker)) return identity::homeUrl(maker);
  return helpLocation(platform, "maker", maker);
}

}  // namespace app
