// The user's browser profiles, shared by the cookie, cache and history
// services: every Firefox-family and Chromium-family profile found.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/clear_outcome.h"

namespace browsers {

enum class BrowserFamily { Firefox, Chromium };

struct BrowserProfile {
  BrowserFamily family = BrowserFamily::Firefox;
  std::string browser;      // short browser name, e.g. "firefox", "chromium", "chrome"
  std::string name;         // the profile's display name, e.g. "default-esr", "Person 1"
  std::string profileDir;   // the profile folder (history, cookies)
  std::string cacheDir;     // the profile's cache ("local") folder
  std::string userDataDir;  // Chromium: the user-data folder holding SingletonLock
  bool sandboxed = false;   // flatpak: the browser's pids are not ours to read
  // The profile folder as the search found it (a link the user made followed
  // once); profileDir and userDataDir are real paths, without links. The
  // search holds the folders open only while it looks: a listing kept by the
  // tray must not keep a second disk from being unmounted.
  std::uint64_t folderDevice = 0;
  std::uint64_t folderInode = 0;
};

// What the search found: the profiles, and the folders that hold profiles
// but were not entered, each with the reason (a link owned by another user,
// a link into a system folder ...), for the clearing to tell.
struct ProfileSearch {
  std::vector<BrowserProfile> profiles;
  std::vector<platform::ClearFailure> refused;
};

// Every profile of the user, found from the live environment (HOME, XDG_*).
ProfileSearch searchBrowserProfiles();
// searchBrowserProfiles' profiles alone, for listing.
std::vector<BrowserProfile> findBrowserProfiles();

// Whether the profile's browser runs now, judged by the profile's own lock
// files (never by process names). A lock link whose process cannot be seen
// from here (a flatpak's own pid namespace) counts as running.
bool browserRunning(const BrowserProfile& profile);

// Plain words naming the browser for the user, e.g. "Firefox (profile default-esr)".
// Every browser covered is listed in browser_families.cpp.
std::string displayName(const BrowserProfile& profile);

}  // namespace browsers
