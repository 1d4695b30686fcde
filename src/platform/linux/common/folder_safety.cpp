#include "platform/linux/common/folder_safety.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <climits>
#include <cstdlib>
#include <string_view>

#include "platform/linux/common/posix_fd.h"
#include "platform/linux/common/xdg_paths.h"

namespace platform::linux_os {

namespace {

constexpr int kStepFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

constexpr std::array<std::string_view, 14> kWholeTrees = {
    "/usr",   "/etc",    "/boot", "/bin", "/sbin", "/lib",  "/lib32",
    "/lib64", "/libx32", "/proc", "/sys", "/dev",  "/snap", "/efi"};
constexpr std::array<std::string_view, 8> kFoldersThemselves = {"/var", "/run",  "/home", "/opt",
                                                                "/srv", "/root", "/mnt",  "/media"};
constexpr std::array<std::string_view, 2> kTemporaryFolders = {"/tmp", "/var/tmp"};

bool keyOf(int fd, FolderKey& key) {
  struct stat st {};
  if (fstat(fd, &st) != 0) return false;
  key = {st.st_dev, st.st_ino, st.st_uid};
  return true;
}

// The identity of the folder a path leads to (links followed), if any.
bool keyOfPath(std::string_view path, FolderKey& key) {
  struct stat st {};
  if (stat(std::string(path).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  key = {st.st_dev, st.st_ino};
  return true;
}

template <std::size_t N>
bool isOneOf(const FolderKey& key, const std::array<std::string_view, N>& paths) {
  FolderKey other;
  for (std::string_view path : paths)
    if (keyOfPath(path, other) && other == key) return true;
  return false;
}

std::string realPathOf(const std::string& path) {
  if (path.empty()) return {};
  char buffer[PATH_MAX];
  return realpath(path.c_str(), buffer) ? std::string(buffer) : std::string();
}

std::vector<std::string> homes() {
  std::vector<std::string> found;
  if (std::string home = homeFolder(); !home.empty()) found.push_back(home);
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/')
    found.emplace_back(pw->pw_dir);
  return found;
}

// A home belongs to its account: asking the owner's account is one look-up,
// where going through every account could take long on a network directory.
bool isOtherUsersHome(const FolderKey& key) {
  if (key.owner == getuid()) return false;
  const passwd* pw = getpwuid(key.owner);
  if (!pw || !pw->pw_dir || std::string_view(pw->pw_dir) == "/") return false;
  FolderKey home;
  return keyOfPath(pw->pw_dir, home) && home == key;
}

}  // namespace

std::vector<FolderKey> FolderChain(const std::string& realPath) {
  std::vector<FolderKey> chain;
  if (realPath.empty() || realPath[0] != '/') return chain;
  UniqueFd current(open("/", kStepFlags));
  FolderKey key;
  if (!current.valid() || !keyOf(current.get(), key)) return {};
  chain.push_back(key);
  std::size_t start = 1;
  while (start < realPath.size()) {
    std::size_t end = realPath.find('/', start);
    if (end == std::string::npos) end = realPath.size();
    const std::string name = realPath.substr(start, end - start);
    start = end + 1;
    if (name.empty() || name == ".") continue;
    if (name == "..") return {};
    UniqueFd next(openat(current.get(), name.c_str(), kStepFlags));
    if (!next.valid() || !keyOf(next.get(), key)) return {};
    chain.push_back(key);
    current = std::move(next);
  }
  return chain;
}

FolderProtection JudgeFolder(const std::vector<FolderKey>& chain, bool mountRoot) {
  if (chain.empty()) return FolderProtection::System;  // unknown: never cleared unasked
  const FolderKey& folder = chain.back();
  FolderKey root;
  if (chain.size() == 1 || (keyOfPath("/", root) && root == folder)) return FolderProtection::Root;

  for (const std::string& home : homes()) {
    FolderKey key;
    if (keyOfPath(home, key) && key == folder) return FolderProtection::Home;
    const std::vector<FolderKey> above = FolderChain(realPathOf(home));
    for (std::size_t i = 0; i + 1 < above.size(); ++i)
      if (above[i] == folder) return FolderProtection::HoldsHome;
  }

  for (const FolderKey& key : chain)
    if (isOneOf(key, kWholeTrees)) return FolderProtection::System;
  const bool temporary = isOneOf(folder, kTemporaryFolders);
  if (!temporary) {
    if (isOneOf(folder, kFoldersThemselves)) return FolderProtection::System;
    FolderKey var;
    if (keyOfPath("/var", var) && chain[chain.size() - 2] == var) return FolderProtection::System;
    if (isOtherUsersHome(folder)) return FolderProtection::OtherUsersHome;
    if (mountRoot || chain[chain.size() - 2].dev != folder.dev) return FolderProtection::MountRoot;
  }
  return FolderProtection::None;
}

FolderProtection JudgeOpenedFolder(int fd, std::string& realPath) {
  realPath = realPathOf("/proc/self/fd/" + std::to_string(fd));
  std::vector<FolderKey> chain = FolderChain(realPath);
  FolderKey opened;
  if (chain.empty() || !keyOf(fd, opened) || !(chain.back() == opened)) {
    realPath.clear();
    return FolderProtection::System;
  }
  struct statx stx {};
  const bool mountRoot = statx(fd, "", AT_EMPTY_PATH, 0, &stx) == 0 &&
                         (stx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) &&
                         (stx.stx_attributes & STATX_ATTR_MOUNT_ROOT);
  return JudgeFolder(chain, mountRoot);
}

bool MayClearFolder(const std::string& folder) {
  if (folder.empty()) return false;
  UniqueFd fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.valid()) return false;
  std::string real;
  return JudgeOpenedFolder(fd.get(), real) == FolderProtection::None;
}

}  // namespace platform::linux_os
