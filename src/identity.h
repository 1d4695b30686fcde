// The program's identity: its title (with the leading blank that is part of
// every use), its version, and the maker's web addresses.
#pragma once

#include <string>

namespace identity {

inline constexpr const char* kAppTitle = " Norrick Tracesweep";
inline constexpr int kMajor = 1;
inline constexpr int kMinor = 0;

// Scheme and host of the maker's web server; set at build time.
inline constexpr const char* kMakerUrl = TRACESWEEP_MAKER_URL;

inline std::string makerUrl(const std::string& path) {
  return std::string(kMakerUrl) + path;
}
inline std::string helpUrl() {
  return makerUrl("/products/ts/help.html");
}
inline std::string homeUrl() {
  return makerUrl("/");
}
inline std::string versionFileUrl() {
  return makerUrl("/products/ts/version.txt");
}
inline std::string downloadPageUrl() {
  return makerUrl("/norrick/products/ts/");
}

}  // namespace identity
