#include "platform/linux/trash/trash_items.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/common/posix_fd.h"
#include "platform/linux/common/posix_files.h"
#include "platform/linux/trash/remove_tree.h"

namespace platform::linux_os {

namespace {

constexpr int kOpenFolder = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

bool isDotName(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// The bytes of every file below the open folder fd on its own file system.
std::int64_t folderBytes(int fd, dev_t device) {
  std::int64_t total = 0;
  const FolderListing dir = listingOfCopy(fd);
  if (!dir) return 0;
  while (const dirent* entry = readdir(dir.get())) {
    if (isDotName(entry->d_name)) continue;
    struct stat st;
    if (fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISDIR(st.st_mode)) {
      total += st.st_size;
      continue;
    }
    if (st.st_dev != device || IsMountRootAt(fd, entry->d_name)) continue;
    UniqueFd child(openat(fd, entry->d_name, kOpenFolder));
    if (child.valid()) total += folderBytes(child.get(), device);
  }
  return total;
}

std::string errnoText(int error) {
  return std::strerror(error);
}

}  // namespace

std::vector<TrashItem> ListTrashItems(int filesFd) {
  std::vector<TrashItem> items;
  struct stat self;
  if (fstat(filesFd, &self) != 0) return items;
  const FolderListing dir = listingOfCopy(filesFd);
  if (!dir) return items;
  while (const dirent* entry = readdir(dir.get())) {
    if (isDotName(entry->d_name)) continue;
    struct stat st;
    if (fstatat(filesFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    TrashItem item;
    item.name = entry->d_name;
    item.folder = S_ISDIR(st.st_mode);
    item.device = st.st_dev;
    item.inode = st.st_ino;
    if (!item.folder) {
      item.bytes = st.st_size;
    } else if (st.st_dev == self.st_dev && !IsMountRootAt(filesFd, entry->d_name)) {
      UniqueFd child(openat(filesFd, entry->d_name, kOpenFolder));
      if (child.valid()) item.bytes = folderBytes(child.get(), self.st_dev);
    }
    items.push_back(std::move(item));
  }
  return items;
}

std::string RemoveTrashItem(int filesFd, const TrashItem& item) {
  struct stat st;
  if (fstatat(filesFd, item.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
    return errno == ENOENT ? std::string() : errnoText(errno);
  if (st.st_dev != item.device || st.st_ino != item.inode)
    return "it was replaced after it was listed";
  if (!S_ISDIR(st.st_mode))
    return unlinkat(filesFd, item.name.c_str(), 0) == 0 ? "" : errnoText(errno);
  struct stat parent;
  if (fstat(filesFd, &parent) != 0) return errnoText(errno);
  if (st.st_dev != parent.st_dev || IsMountRootAt(filesFd, item.name.c_str()))
    return "another file system is mounted there";
  {
    UniqueFd child(openat(filesFd, item.name.c_str(), kOpenFolder));
    if (!child.valid() && errno == EACCES && st.st_uid == geteuid()) {
      // A trashed folder of ours without read permission is opened up first.
      fchmodat(filesFd, item.name.c_str(), (st.st_mode & 07777) | S_IRWXU, AT_SYMLINK_NOFOLLOW);
      child = UniqueFd(openat(filesFd, item.name.c_str(), kOpenFolder));
    }
    if (!child.valid()) return errnoText(errno);
    RemoveContentsAt(child.get());
  }
  if (unlinkat(filesFd, item.name.c_str(), AT_REMOVEDIR) == 0) return {};
  if (errno == ENOTEMPTY || errno == EEXIST) return "some of the files inside could not be removed";
  return errnoText(errno);
}

}  // namespace platform::linux_os
