#include "platform/linux/trash/trash_folders.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/linux/trash/remove_tree.h"

namespace platform::linux_os {

namespace {

constexpr int kOpenFolder = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Opens name under parentFd as a real folder owned by uid; an invalid fd
// otherwise. st receives its status.
OwnedFd openOwnedFolder(int parentFd, const char* name, uid_t uid, struct stat& st) {
  OwnedFd fd(openat(parentFd, name, kOpenFolder));
  if (!fd.valid() || fstat(fd.get(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != uid)
    return OwnedFd();
  return fd;
}

void addFolder(std::vector<TrashFolder>& out, std::string path, OwnedFd fd,
               const struct stat& st) {
  TrashFolder folder;
  folder.path = std::move(path);
  folder.fd = std::move(fd);
  folder.device = st.st_dev;
  folder.inode = st.st_ino;
  out.push_back(std::move(folder));
}

std::string joinPath(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

// Empties one of files/, info/, expunged/. Something there that is not a real
// folder (a link, a stray file) is removed itself; a link is never followed.
bool emptySubFolder(int trashFd, const char* name, dev_t trashDevice) {
  OwnedFd fd(openat(trashFd, name, kOpenFolder));
  if (!fd.valid()) {
    if (errno == ENOENT) return true;
    if (errno == ELOOP || errno == ENOTDIR) return unlinkat(trashFd, name, 0) == 0;
    return false;
  }
  struct stat st;
  if (fstat(fd.get(), &st) != 0 || st.st_dev != trashDevice) return false;
  return RemoveContentsAt(fd.get());
}

}  // namespace

std::vector<TrashFolder> OpenHomeTrash(const std::string& path, uid_t uid) {
  std::vector<TrashFolder> out;
  if (path.empty()) return out;
  struct stat st;
  OwnedFd fd = openOwnedFolder(AT_FDCWD, path.c_str(), uid, st);
  if (fd.valid()) addFolder(out, path, std::move(fd), st);
  return out;
}

std::vector<TrashFolder> OpenVolumeTrashes(const std::string& topdir, uid_t uid) {
  std::vector<TrashFolder> out;
  OwnedFd top(open(topdir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!top.valid()) return out;
  const std::string uidName = std::to_string(uid);
  struct stat st;

  OwnedFd shared(openat(top.get(), ".Trash", O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (shared.valid() && fstat(shared.get(), &st) == 0 && S_ISDIR(st.st_mode) &&
      (st.st_mode & S_ISVTX)) {
    OwnedFd own = openOwnedFolder(shared.get(), uidName.c_str(), uid, st);
    if (own.valid()) addFolder(out, joinPath(topdir, ".Trash/" + uidName), std::move(own), st);
  }

  const std::string privateName = ".Trash-" + uidName;
  OwnedFd own = openOwnedFolder(top.get(), privateName.c_str(), uid, st);
  if (own.valid()) addFolder(out, joinPath(topdir, privateName), std::move(own), st);
  return out;
}

bool EmptyTrashFolder(const TrashFolder& trash) {
  bool emptied = true;
  for (const char* sub : {"files", "info", "expunged"})
    emptied = emptySubFolder(trash.fd.get(), sub, trash.device) && emptied;
  if (unlinkat(trash.fd.get(), "directorysizes", 0) != 0 && errno != ENOENT) emptied = false;
  return emptied;
}

}  // namespace platform::linux_os
