#include "platform/linux/files/safe_path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace platform::linux_os {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;
constexpr int kPassFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

std::vector<std::string> namesOf(const std::string& relative) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start < relative.size()) {
    std::size_t end = relative.find('/', start);
    if (end == std::string::npos) end = relative.size();
    std::string name = relative.substr(start, end - start);
    if (!name.empty() && name != ".") names.push_back(std::move(name));
    start = end + 1;
  }
  return names;
}

}  // namespace

namespace {

constexpr unsigned kWhere = STATX_INO | STATX_MNT_ID;

void fillWhere(const struct statx& stx, FolderIdentity& identity) {
  identity.dev = makedev(stx.stx_dev_major, stx.stx_dev_minor);
  identity.ino = stx.stx_ino;
  identity.mountRoot = (stx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) &&
                       (stx.stx_attributes & STATX_ATTR_MOUNT_ROOT);
  identity.mountIdKnown = stx.stx_mask & STATX_MNT_ID;
  identity.mountId = identity.mountIdKnown ? stx.stx_mnt_id : 0;
}

}  // namespace

bool identify(int folderFd, FolderIdentity& identity) {
  struct statx stx {};
  if (statx(folderFd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, kWhere, &stx) != 0) return false;
  fillWhere(stx, identity);
  return true;
}

bool identifyEntry(int fd, struct stat& st, FolderIdentity& identity) {
  return identifyEntryAt(fd, "", st, identity);
}

bool identifyEntryAt(int folderFd, const char* name, struct stat& st, FolderIdentity& identity) {
  const int flags = AT_SYMLINK_NOFOLLOW | (*name == '\0' ? AT_EMPTY_PATH : 0);
  struct statx stx {};
  if (statx(folderFd, name, flags, STATX_BASIC_STATS | kWhere, &stx) != 0) return false;
  fillWhere(stx, identity);
  st = {};
  st.st_dev = identity.dev;
  st.st_ino = stx.stx_ino;
  st.st_mode = stx.stx_mode;
  st.st_nlink = stx.stx_nlink;
  st.st_uid = stx.stx_uid;
  st.st_gid = stx.stx_gid;
  st.st_size = static_cast<off_t>(stx.stx_size);
  return true;
}

bool onMountOf(const FolderIdentity& folder, const FolderIdentity& entry) {
  if (entry.mountRoot) return false;
  if (folder.mountIdKnown && entry.mountIdKnown) return folder.mountId == entry.mountId;
  return folder.dev == entry.dev;
}

UniqueFd openFolderBelow(int base, const std::string& relative, const FolderIdentity* mountOf) {
  const std::vector<std::string> names = namesOf(relative);
  UniqueFd current(fcntl(base, F_DUPFD_CLOEXEC, 0));
  for (std::size_t i = 0; i < names.size() && current.valid(); ++i) {
    // ".." could climb out of base.
    if (names[i] == "..") {
      errno = EACCES;
      return UniqueFd();
    }
    // Folders on the way need only be searchable, as with a path; the last
    // one is opened for real (it is synced and its entries removed).
    const int flags = i + 1 < names.size() ? kPassFlags : kFolderFlags;
    UniqueFd next(openat(current.get(), names[i].c_str(), flags));
    if (!next.valid()) return UniqueFd();
    if (mountOf) {
      FolderIdentity here;
      if (!identify(next.get(), here)) return UniqueFd();
      if (!onMountOf(*mountOf, here)) {
        errno = EXDEV;
        return UniqueFd();
      }
    }
    current = std::move(next);
  }
  return current;
}

UniqueFd openFolderWithoutLinks(const std::string& absolute) {
  if (absolute.empty() || absolute[0] != '/') {
    errno = EINVAL;
    return UniqueFd();
  }
  const bool isTop = namesOf(absolute).empty();
  UniqueFd top(open("/", isTop ? kFolderFlags : kPassFlags));
  if (!top.valid() || isTop) return top;
  return openFolderBelow(top.get(), absolute.substr(1));
}

}  // namespace platform::linux_os
