#include "platform/linux/trash/remove_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace platform::linux_os {

namespace {

struct Level {
  DIR* dir = nullptr;
  std::string name;          // its name in the level above
  bool removedSome = false;  // in the current pass over the listing
};

// A folder we own must be writable and searchable for its entries to go.
void openUp(int fd, const struct stat& st) {
  constexpr mode_t kOwnerAll = S_IRWXU;
  if (st.st_uid == geteuid() && (st.st_mode & kOwnerAll) != kOwnerAll)
    fchmod(fd, (st.st_mode & 07777) | kOwnerAll);
}

// Opens the sub-folder name of parentFd without following a link; -1 when it
// is no longer the folder that fstatat saw.
int openSubFolder(int parentFd, const char* name, const struct stat& seen) {
  int fd = openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0 && errno == EACCES && seen.st_uid == geteuid()) {
    fchmodat(parentFd, name, (seen.st_mode & 07777) | S_IRWXU, AT_SYMLINK_NOFOLLOW);
    fd = openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  }
  if (fd < 0) return -1;
  struct stat st;
  if (fstat(fd, &st) != 0 || st.st_dev != seen.st_dev || st.st_ino != seen.st_ino) {
    close(fd);
    return -1;
  }
  openUp(fd, st);
  return fd;
}

DIR* openLevel(int fd) {
  DIR* dir = fdopendir(fd);
  if (!dir) close(fd);
  return dir;
}

}  // namespace

// A mount inside the trash (a bind mount has the same device number) is the
// mounted folder's own content, never the trash's to remove.
bool IsMountRootAt(int parentFd, const char* name) {
  struct statx sx;
  if (statx(parentFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_TYPE, &sx) != 0)
    return errno != ENOSYS;  // cannot tell: leave it, unless the kernel predates statx
  return (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) &&
         (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT);
}

bool RemoveContentsAt(int dirFd, const std::function<bool(const char* name)>& keep) {
  struct stat rootStat;
  if (fstat(dirFd, &rootStat) != 0 || !S_ISDIR(rootStat.st_mode)) return false;
  openUp(dirFd, rootStat);
  int rootFd = fcntl(dirFd, F_DUPFD_CLOEXEC, 0);
  if (rootFd < 0) return false;
  // The duplicate shares its position with dirFd; start the listing afresh.
  lseek(rootFd, 0, SEEK_SET);
  DIR* rootDir = openLevel(rootFd);
  if (!rootDir) return false;

  std::vector<Level> stack;
  stack.push_back({rootDir, "", false});
  while (!stack.empty()) {
    Level& top = stack.back();
    int fd = dirfd(top.dir);
    const dirent* entry = readdir(top.dir);
    if (!entry) {
      // Some file systems skip entries when the listing changes under them:
      // list again until a pass removes nothing.
      if (top.removedSome) {
        top.removedSome = false;
        rewinddir(top.dir);
        continue;
      }
      std::string name = top.name;
      closedir(top.dir);
      stack.pop_back();
      if (stack.empty()) break;
      if (unlinkat(dirfd(stack.back().dir), name.c_str(), AT_REMOVEDIR) == 0)
        stack.back().removedSome = true;
      continue;
    }
    const char* name = entry->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    if (keep && stack.size() == 1 && keep(name)) continue;
    struct stat st;
    if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISDIR(st.st_mode)) {
      if (unlinkat(fd, name, 0) == 0) top.removedSome = true;
      continue;
    }
    // A file system mounted inside the trash is not ours to empty.
    int child =
        st.st_dev == rootStat.st_dev && !IsMountRootAt(fd, name) ? openSubFolder(fd, name, st) : -1;
    DIR* childDir = child >= 0 ? openLevel(child) : nullptr;
    if (childDir) stack.push_back({childDir, name, false});  // invalidates top
  }
  return IsEmptyFolderAt(dirFd);
}

bool IsEmptyFolderAt(int dirFd) {
  int fd = openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* dir = fd >= 0 ? openLevel(fd) : nullptr;
  if (!dir) return false;
  bool empty = true;
  while (const dirent* entry = readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
      empty = false;
      break;
    }
  }
  closedir(dir);
  return empty;
}

}  // namespace platform::linux_os
