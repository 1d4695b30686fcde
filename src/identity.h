// The program's identity: its title (with the leading blank that is part of
// every use), its version, and the maker's web addresses.
#pragma once

#include <string>
#include <string_view>

namespace identity {

inline constexpr const char* kAppTitle = " Norrick Tracesweep";
inline constexpr int kMajor = 1;
inline constexpr int kMinor = 0;

// Scheme and host of the maker's web server; set at build time.
inline constexpr const char* kMakerUrl = TRACESWEEP_MAKER_URL;

// What a build gets when it names no maker's server: an address that can
// never resolve. The CMake option TRACESWEEP_MAKER_URL has the same default.
inline constexpr std::string_view kPlaceholderMakerUrl = "https://www.norrick.example";

// Whether the build names a real maker's server (help, home page, updates).
inline bool makerConfigured(std::string_view maker = kMakerUrl) {
  return !maker.empty() && maker != kPlaceholderMakerUrl;
}

inline std::string makerUrl(const std::string& path, std::string_view maker = kMakerUrl) {
  return std::string(maker) + path;
}
inline std::string helpUrl(std::string_view maker = kMakerUrl) {
  return makerUrl("/products/ts/help.html", maker);
}
inline std::string homeUrl(std::string_view maker = kMakerUrl) {
  return makerUrl("/", maker);
}
inline std::string versionFileUrl(std::string_view maker = kMakerUrl) {
  return makerUrl("/products/ts/version.txt", maker);
}
inline std::string downloadPageUrl(std::string_view maker = kMakerUrl) {
  return makerUrl("/norrick/products/ts/", maker);
}

}  // namespace identity
