#include "platform/linux/common/browser_profiles.h"

namespace platform::linux_os {

// Filled in by the browser-profiles work; until then no profile is found.
std::vector<BrowserProfile> findBrowserProfiles() { return {}; }

bool browserRunning(const BrowserProfile&) { return false; }

std::string displayName(const BrowserProfile& profile) {
  return profile.browser + " (profile " + profile.name + ")";
}

}  // namespace platform::linux_os
