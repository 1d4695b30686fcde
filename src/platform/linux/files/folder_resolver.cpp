#include "platform/linux/files/folder_resolver.h"

#include <fcntl.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace platform::linux_os {

namespace {

bool isAtOrBelow(const std::string& path, const std::string& root) {
  if (root == "/") return !path.empty() && path[0] == '/';
  return path.compare(0, root.size(), root) == 0 &&
         (path.size() == root.size() || path[root.size()] == '/');
}

// The link-free absolute path of path, or "" with errno set.
std::string resolved(const std::string& path) {
  char buffer[PATH_MAX];
  if (realpath(path.c_str(), buffer) == nullptr) return {};
  return buffer;
}

}  // namespace

FolderResolver::FolderResolver(const std::string& root) : hasRoot_(!root.empty()) {
  if (!hasRoot_) return;
  given_ = withoutTrailingSlashes(root);
  real_ = resolved(given_);
  if (!real_.empty()) rootFd_ = openFolderWithoutLinks(real_);
  if (rootFd_.valid() && !identify(rootFd_.get(), rootIdentity_)) rootFd_.reset();
  if (!rootFd_.valid()) rootErrno_ = errno != 0 ? errno : ENOENT;
}

bool FolderResolver::governs(const std::string& path) const {
  if (!hasRoot_) return true;
  const std::string trimmed = withoutTrailingSlashes(path);
  return isAtOrBelow(trimmed, given_) || (!real_.empty() && isAtOrBelow(trimmed, real_));
}

UniqueFd FolderResolver::open(const std::string& folder) const {
  const std::string trimmed = withoutTrailingSlashes(folder);
  if (hasRoot_) {
    if (!rootFd_.valid()) {
      errno = rootErrno_;
      return UniqueFd();
    }
    if (!governs(trimmed)) {
      errno = EACCES;
      return UniqueFd();
    }
    const std::string& base = isAtOrBelow(trimmed, given_) ? given_ : real_;
    const std::string below = base == "/" ? trimmed : trimmed.substr(base.size());
    return openFolderBelow(rootFd_.get(), below, &rootIdentity_);
  }
  // A folder the user named: its links are theirs, followed once, here.
  const std::string real = resolved(trimmed);
  if (real.empty()) return UniqueFd();
  return openFolderWithoutLinks(real);
}

}  // namespace platform::linux_os
