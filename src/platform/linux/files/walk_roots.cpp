#include "platform/linux/files/walk_roots.h"

#include <fcntl.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/linux/files/safe_path.h"

namespace platform::linux_os {

namespace {

constexpr std::size_t kRootsKept = 16;

bool isAtOrBelow(const std::string& path, const std::string& root) {
  if (root == "/") return !path.empty() && path[0] == '/';
  return path.compare(0, root.size(), root) == 0 &&
         (path.size() == root.size() || path[root.size()] == '/');
}

}  // namespace

std::string withoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

void WalkRoots::remember(WalkRoot root) {
  std::lock_guard lock(mutex_);
  std::erase_if(roots_, [&](const WalkRoot& known) { return known.given == root.given; });
  roots_.push_front(std::move(root));
  if (roots_.size() > kRootsKept) roots_.pop_back();
}

std::vector<WalkRoot> WalkRoots::recent() const {
  std::lock_guard lock(mutex_);
  return {roots_.begin(), roots_.end()};
}

const WalkRoot* FolderResolver::rootOf(const std::string& folder) const {
  const WalkRoot* best = nullptr;
  for (const WalkRoot& root : roots_)
    if (isAtOrBelow(folder, root.given) && (!best || root.given.size() > best->given.size()))
      best = &root;
  return best;
}

int FolderResolver::rootDescriptor(const WalkRoot& root) {
  auto known = rootFds_.find(root.real);
  if (known != rootFds_.end()) return known->second.get();
  UniqueFd fd = openFolderWithoutLinks(root.real);
  FolderIdentity identity;
  if (!fd.valid() || !identify(fd.get(), identity)) return -1;
  if (identity.dev != root.dev || identity.ino != root.ino) return -1;
  return rootFds_.emplace(root.real, std::move(fd)).first->second.get();
}

UniqueFd FolderResolver::open(const std::string& folder) {
  const std::string trimmed = withoutTrailingSlashes(folder);
  if (const WalkRoot* root = rootOf(trimmed)) {
    int base = rootDescriptor(*root);
    if (base >= 0) {
      std::string below = root->given == "/" ? trimmed : trimmed.substr(root->given.size());
      return openFolderBelow(base, below, true);
    }
    // The walked folder was moved or replaced since, by whoever may (the
    // caller named it): that walk says nothing about what is there now.
  }
  // A folder the user named: its links are theirs, followed once, here.
  char resolved[PATH_MAX];
  if (realpath(trimmed.c_str(), resolved) == nullptr) return UniqueFd();
  return openFolderWithoutLinks(resolved);
}

}  // namespace platform::linux_os
