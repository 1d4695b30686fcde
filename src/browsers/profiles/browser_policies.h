// Where an administrator sets the browsers' policies, which may allow sites
// to keep cookies whatever the user's own settings say (Firefox's
// Cookies.Allow, the Chromium family's CookiesAllowedForUrls). Each system
// supplies its places (browsers/system/<system>/browser_policies.cpp).
#pragma once

#include <string>
#include <vector>

#include "browsers/profiles/browser_profiles.h"

namespace browsers {

// A policy file: Firefox's policies.json, or one JSON file of a Chromium
// family browser's folder of managed policies.
struct PolicyFile {
  std::string browser;  // the browser's short name, e.g. "chrome"
  BrowserFamily family = BrowserFamily::Firefox;
  std::string path;  // links resolved: the files are the system's, and only read
};

// The policy files there are, below systemRoot ("" for the system itself; a
// test's folder stands for "/").
std::vector<PolicyFile> browserPolicyFiles(const std::string& systemRoot = {});

// The allowed sites of policies the system keeps outside files (on Windows
// the registry's policy keys), as written, and the places that could not be
// read, in words.
struct PolicyNames {
  std::vector<std::string> names;
  std::vector<std::string> problems;
};
PolicyNames systemPolicyAllowedSites();

}  // namespace browsers
