// Whether a profile's browser runs, on Windows: both families hold a lock
// file open without sharing it while they run, and the system closes it when
// the process ends, however it ends, so a crash leaves no false sign.
#include "browsers/profiles/browser_families.h"
#include "platform/file_access.h"
#include "platform/paths.h"

namespace browsers {

namespace {

// nsProfileLock::Lock on Windows: "parent.lock" in the profile, created
// with no sharing and held until the browser ends (the file stays).
constexpr const char* kFirefoxWindowsLock = "parent.lock";
// ProcessSingleton::Create on Windows: "lockfile" in the user-data folder,
// open for writing, sharing only reads, deleted when closed.
constexpr const char* kChromiumWindowsLock = "lockfile";

}  // namespace

bool browserRunning(const BrowserProfile& profile) {
  if (profile.family == BrowserFamily::Firefox)
    return platform::files::heldLocked(platform::joinPath(profile.profileDir, kFirefoxWindowsLock));
  const std::string& dataDir =
      profile.userDataDir.empty() ? profile.profileDir : profile.userDataDir;
  return platform::files::heldLocked(platform::joinPath(dataDir, kChromiumWindowsLock));
}

}  // namespace browsers
