// The browsers' policy files on Linux: Firefox reads policies.json from the
// system's configuration folder (/etc/<name>/policies) or from its
// installation's distribution folder; the Chromium family reads every JSON
// file of its folder of managed policies under /etc. The Debian packages
// reach some of them through links, which are followed: nothing here is
// ever written.
#include "browsers/profiles/browser_policies.h"

#include <algorithm>
#include <filesystem>

namespace browsers {

namespace {

namespace fs = std::filesystem;

struct Place {
  const char* browser;
  BrowserFamily family;
  const char* path;  // Firefox: the file; Chromium: the folder
};

const Place kPlaces[] = {
    {"firefox", BrowserFamily::Firefox, "etc/firefox/policies/policies.json"},
    {"firefox", BrowserFamily::Firefox, "etc/firefox-esr/policies/policies.json"},
    {"firefox", BrowserFamily::Firefox, "usr/lib/firefox/distribution/policies.json"},
    {"firefox", BrowserFamily::Firefox, "usr/lib/firefox-esr/distribution/policies.json"},
    {"firefox", BrowserFamily::Firefox, "usr/lib64/firefox/distribution/policies.json"},
    {"firefox", BrowserFamily::Firefox, "opt/firefox/distribution/policies.json"},
    {"firefox-snap", BrowserFamily::Firefox,
     "snap/firefox/current/usr/lib/firefox/distribution/policies.json"},
    {"chromium", BrowserFamily::Chromium, "etc/chromium/policies/managed"},
    {"chromium", BrowserFamily::Chromium, "etc/chromium-browser/policies/managed"},
    {"chrome", BrowserFamily::Chromium, "etc/opt/chrome/policies/managed"},
    {"brave", BrowserFamily::Chromium, "etc/brave/policies/managed"},
    {"edge", BrowserFamily::Chromium, "etc/opt/edge/policies/managed"},
};

// The regular file path leads to, links followed; "" when there is none.
std::string realFile(const fs::path& path) {
  std::error_code error;
  const fs::path real = fs::canonical(path, error);
  return !error && fs::is_regular_file(real, error) ? real.string() : std::string();
}

}  // namespace

std::vector<PolicyFile> browserPolicyFiles(const std::string& systemRoot) {
  const fs::path root = systemRoot.empty() ? fs::path("/") : fs::path(systemRoot);
  std::vector<PolicyFile> files;
  auto add = [&files](const Place& place, const std::string& path) {
    // Two places may be one file (a link of the package to the other).
    if (path.empty()) return;
    for (const PolicyFile& known : files)
      if (known.path == path) return;
    files.push_back({place.browser, place.family, path});
  };
  for (const Place& place : kPlaces) {
    const fs::path where = root / place.path;
    if (place.family == BrowserFamily::Firefox) {
      add(place, realFile(where));
      continue;
    }
    std::error_code error;
    std::vector<fs::path> names;
    for (fs::directory_iterator it(where, error), end; !error && it != end; it.increment(error)) {
      const std::string name = it->path().filename().string();
      if (!name.starts_with(".") && name.ends_with(".json")) names.push_back(it->path());
    }
    std::sort(names.begin(), names.end());
    for (const fs::path& name : names) add(place, realFile(name));
  }
  return files;
}

PolicyNames systemPolicyAllowedSites() {
  return {};  // Linux keeps policies in files alone
}

}  // namespace browsers
