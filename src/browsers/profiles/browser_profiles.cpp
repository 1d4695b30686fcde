#include "browsers/profiles/browser_profiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <memory>
#include <optional>
#include <set>

#include "browsers/profiles/browser_families.h"
#include "browsers/profiles/profile_search.h"
#include "platform/linux/common/posix_fd.h"
#include "platform/linux/common/posix_files.h"

namespace browsers {

namespace profiles {

std::vector<std::string> subFolders(const std::string& folder) {
  std::vector<std::string> names;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
  if (!dir) return names;
  while (dirent* entry = readdir(dir.get())) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat st {};
    if (lstat((folder + "/" + name).c_str(), &st) == 0 &&
        (S_ISDIR(st.st_mode) || S_ISLNK(st.st_mode)))
      names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string readSmallFile(const std::string& path, std::size_t maxBytes) {
  std::string content;
  platform::linux_os::readWholeFile(path, maxBytes, content, platform::linux_os::AtLink::Refuse);
  return content;
}

std::optional<platform::linux_os::HeldFolder> holdFolder(const std::string& path,
                                                         ProfileSearch& search) {
  platform::linux_os::FolderHold hold = platform::linux_os::HoldUserFolder(path, getuid());
  if (hold.result == platform::linux_os::FolderHold::Result::Refused)
    search.refused.push_back({path, std::move(hold.refusal)});
  if (hold.result != platform::linux_os::FolderHold::Result::Held) return std::nullopt;
  return std::move(hold.folder);
}

}  // namespace profiles

ProfileSearch searchBrowserProfiles() {
  ProfileSearch found;
  profiles::findFirefoxProfiles(found);
  profiles::findChromiumProfiles(found);
  // One profile can be reached through two roots (a link, a legacy folder);
  // keep its first sighting, known by the folder found, not by a path.
  std::set<std::pair<dev_t, ino_t>> seen;
  ProfileSearch unique;
  unique.refused = std::move(found.refused);
  for (BrowserProfile& profile : found.profiles) {
    if (seen.insert({profile.folderDevice, profile.folderInode}).second)
      unique.profiles.push_back(std::move(profile));
  }
  return unique;
}

std::vector<BrowserProfile> findBrowserProfiles() {
  return searchBrowserProfiles().profiles;
}

// Whether the process named by a lock link's pid digits is alive here. A
// sandboxed browser's pid is not ours to look up: its link alone counts.
static bool lockHolderAlive(const BrowserProfile& profile, const std::string& digits) {
  if (profile.sandboxed) return true;
  if (digits.empty() || digits.size() > 9 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  pid_t pid = static_cast<pid_t>(std::stol(digits));
  if (pid <= 0) return false;
  return kill(pid, 0) == 0 || errno == EPERM;
}

static std::string linkTarget(const std::string& path) {
  char target[512];
  ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
  return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string();
}

// Firefox holds an fcntl write lock on .parentlock while it runs; the file
// itself outlives the browser. Where there is no .parentlock to ask, the link
// "lock" -> "<address>:+<pid>", which Firefox removes on a clean exit, decides.
static bool firefoxRunning(const BrowserProfile& profile) {
  platform::linux_os::UniqueFd fd(open((profile.profileDir + "/" + kFirefoxParentLock).c_str(),
                                       O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
  if (!fd.valid()) {
    const std::string text = linkTarget(profile.profileDir + "/" + kFirefoxLockLink);
    const std::size_t plus = text.rfind(":+");
    return !text.empty() &&
           (plus == std::string::npos ? profile.sandboxed
                                      : lockHolderAlive(profile, text.substr(plus + 2)));
  }
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  return fcntl(fd.get(), F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
}

// Chromium's SingletonLock is a link to "<hostname>-<pid>" that it removes on
// a clean exit. It outlives a crash, so where the process can be seen it must
// be alive on this host. A sandboxed browser's pid belongs to its own pid
// namespace: there the link itself is the only sign, and it counts.
static bool chromiumRunning(const BrowserProfile& profile) {
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

bool browserRunning(const BrowserProfile& profile) {
  return profile.family == BrowserFamily::Firefox ? firefoxRunning(profile)
                                                  : chromiumRunning(profile);
}

std::string displayName(const BrowserProfile& profile) {
  return browserTitle(profile.browser) + " (profile " + profile.name + ")";
}

}  // namespace browsers
