// Everything the program knows of each browser it clears, in one table read
// by the profile search (and so by the cookie, cache and history stores
// alike): where each browser keeps its profiles and its cache, how its
// family marks a profile in use, and the name the user knows it by.
#pragma once

#include <string>
#include <vector>

#include "browsers/profiles/browser_profiles.h"

namespace browsers {

// Lock files in a profile's folders. A running Firefox-family browser holds
// an fcntl write lock on .parentlock and keeps the link "lock" ->
// "<address>:+<pid>"; a Chromium-family browser keeps the link SingletonLock
// -> "<hostname>-<pid>" in its user-data folder. The files outlive a crash.
inline constexpr const char* kFirefoxParentLock = ".parentlock";
inline constexpr const char* kFirefoxLockLink = "lock";
inline constexpr const char* kChromiumSingletonLock = "SingletonLock";

// One place where a browser keeps profiles.
struct BrowserRoot {
  std::string browser;  // the browser's short name, e.g. "chromium-flatpak"
  BrowserFamily family = BrowserFamily::Firefox;
  // Firefox family: the folder holding profiles.ini and the profiles.
  // Chromium family: the user-data folder holding Local State and the profiles.
  std::string dataDir;
  // Where a profile's cache lives: "<cacheRoot>/<profile folder>" (Chromium:
  // "" keeps the cache in the profile).
  std::string cacheRoot;
  // Opera: the user-data folder is itself the one profile (no "Default").
  bool profileIsRoot = false;
  // Flatpak: the browser runs in a pid namespace of its own, so the pid in
  // its lock link says nothing here.
  bool sandboxed = false;
};

// Every root of every browser, from the live environment (HOME, XDG_*).
std::vector<BrowserRoot> browserRoots(BrowserFamily family);

// Whether the system has a browser of its own whose stores are cleared
// beside the profiles (Windows: the shell's cookie folder, the URL cache and
// the URL history).
bool systemBrowserStores();

// The name the user knows a browser by, e.g. "Google Chrome (flatpak)".
std::string browserTitle(const std::string& browser);

}  // namespace browsers
