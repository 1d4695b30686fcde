// How Linux tells that a profile's browser runs: the lock files the browsers
// keep in their profile folders, never the names of processes.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "browsers/profiles/browser_families.h"
#include "browsers/profiles/browser_profiles.h"
#include "platform/file_access.h"

namespace browsers {

namespace {

// Whether the process named by a lock link's pid digits is alive here. A
// sandboxed browser's pid is not ours to look up: its link alone counts.
bool lockHolderAlive(const BrowserProfile& profile, const std::string& digits) {
  if (profile.sandboxed) return true;
  if (digits.empty() || digits.size() > 9 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  pid_t pid = static_cast<pid_t>(std::stol(digits));
  if (pid <= 0) return false;
  return kill(pid, 0) == 0 || errno == EPERM;
}

std::string linkTarget(const std::string& path) {
  char target[512];
  ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
  return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string();
}

// Firefox holds an fcntl write lock on .parentlock while it runs; the file
// itself outlives the browser. Where there is no .parentlock to ask, the link
// "lock" -> "<address>:+<pid>", which Firefox removes on a clean exit, decides.
bool firefoxRunning(const BrowserProfile& profile) {
  const std::string parentLock = profile.profileDir + "/" + kFirefoxParentLock;
  if (!platform::files::isRegularFile(parentLock)) {
    const std::string text = linkTarget(profile.profileDir + "/" + kFirefoxLockLink);
    const std::size_t plus = text.rfind(":+");
    return !text.empty() &&
           (plus == std::string::npos ? profile.sandboxed
                                      : lockHolderAlive(profile, text.substr(plus + 2)));
  }
  return platform::files::heldLocked(parentLock);
}

// Chromium's SingletonLock is a link to "<hostname>-<pid>" that it removes on
// a clean exit. It outlives a crash, so where the process can be seen it must
// be alive on this host. A sandboxed browser's pid belongs to its own pid
// namespace: there the link itself is the only sign, and it counts.
bool chromiumRunning(const BrowserProfile& profile) {
  const std::string dataDir =
      profile.userDataDir.empty() ? profile.profileDir : profile.userDataDir;
  const std::string text = linkTarget(dataDir + "/" + kChromiumSingletonLock);
  if (text.empty()) return false;
  std::size_t dash = text.rfind('-');
  if (dash == std::string::npos || dash + 1 >= text.size()) return profile.sandboxed;
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0 || text.substr(0, dash) != host) return false;
  return lockHolderAlive(profile, text.substr(dash + 1));
}

}  // namespace

bool browserRunning(const BrowserProfile& profile) {
  return profile.family == BrowserFamily::Firefox ? firefoxRunning(profile)
                                                  : chromiumRunning(profile);
}

}  // namespace browsers
