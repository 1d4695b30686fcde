#include "platform/linux/trash/trash_folders.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string_view>

#include "platform/linux/common/held_folder.h"
#include "platform/linux/trash/remove_tree.h"
#include "platform/linux/trash/trash_items.h"

namespace platform::linux_os {

namespace {

constexpr int kOpenFolder = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Opens name under parentFd as a real folder owned by uid; an invalid fd
// otherwise. st receives its status.
UniqueFd openOwnedFolder(int parentFd, const char* name, uid_t uid, struct stat& st) {
  UniqueFd fd(openat(parentFd, name, kOpenFolder));
  if (!fd.valid() || fstat(fd.get(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != uid)
    return UniqueFd();
  return fd;
}

void addFolder(std::vector<TrashFolder>& out, std::string path, UniqueFd fd,
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

// Empties one of files/, info/, expunged/, but for the entries that keep
// names. Something there that is not a real folder (a link, a stray file) is
// removed itself; a link is never followed.
bool emptySubFolder(int trashFd, const char* name, dev_t trashDevice,
                    const std::function<bool(const char*)>& keep = {}) {
  UniqueFd fd(openat(trashFd, name, kOpenFolder));
  if (!fd.valid()) {
    if (errno == ENOENT) return true;
    if (errno == ELOOP || errno == ENOTDIR) return unlinkat(trashFd, name, 0) == 0;
    return false;
  }
  struct stat st;
  if (fstat(fd.get(), &st) != 0 || st.st_dev != trashDevice || IsMountRootAt(trashFd, name))
    return false;
  return RemoveContentsAt(fd.get(), keep);
}

// Empties files/ one trashed item at a time, each named in out; a preview
// only names them.
bool emptyFiles(const TrashFolder& trash, bool preview, ClearOutcome& out) {
  const int trashFd = trash.fd.get();
  UniqueFd fd(openat(trashFd, "files", kOpenFolder));
  if (!fd.valid()) {
    if (errno == ENOENT) return true;
    if (errno == ELOOP || errno == ENOTDIR) return preview || unlinkat(trashFd, "files", 0) == 0;
    out.fail(joinPath(trash.path, "files"), std::strerror(errno));
    return false;
  }
  struct stat st;
  if (fstat(fd.get(), &st) != 0 || st.st_dev != trash.device || IsMountRootAt(trashFd, "files")) {
    out.fail(joinPath(trash.path, "files"), "another file system is mounted there");
    return false;
  }
  for (const TrashItem& item : ListTrashItems(fd.get())) {
    std::string path = joinPath(trash.path, "files/" + item.name);
    std::string why = preview ? std::string() : RemoveTrashItem(fd.get(), item);
    if (!why.empty()) {
      out.fail(std::move(path), std::move(why));
      continue;
    }
    ++out.removed;
    out.bytes += item.bytes;
    out.items.push_back(std::move(path));
  }
  return preview || IsEmptyFolderAt(fd.get());
}

// An info file stays while the trashed item it describes could not be
// removed, so the trash still shows what it still holds.
bool describesRemainingItem(int trashFd, const char* infoName) {
  static constexpr std::string_view kSuffix = ".trashinfo";
  std::string_view name(infoName);
  if (name.size() <= kSuffix.size() || !name.ends_with(kSuffix)) return false;
  UniqueFd files(openat(trashFd, "files", kOpenFolder));
  if (!files.valid()) return errno != ENOENT;
  std::string item(name.substr(0, name.size() - kSuffix.size()));
  struct stat st;
  return fstatat(files.get(), item.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

}  // namespace

std::vector<TrashFolder> OpenHomeTrash(const std::string& path, uid_t uid) {
  std::vector<TrashFolder> out;
  FolderHold hold = HoldUserFolder(path, uid);
  struct stat st {};
  if (hold.result == FolderHold::Result::Held &&
      (fstat(hold.folder.fd.get(), &st) != 0 || st.st_uid != uid)) {
    hold.result = FolderHold::Result::Refused;
    hold.refusal = "is not yours; left as it is";
  }
  if (hold.result == FolderHold::Result::Refused) {
    TrashFolder refused;
    refused.path = path;
    refused.refused = std::move(hold.refusal);
    out.push_back(std::move(refused));
  } else if (hold.result == FolderHold::Result::Held) {
    // Reached through a link, the trash is named by where it really is.
    addFolder(out, hold.folder.throughLink ? hold.folder.realPath : path, std::move(hold.folder.fd),
              st);
  }
  return out;
}

std::vector<TrashFolder> OpenVolumeTrashes(const std::string& topdir, uid_t uid) {
  std::vector<TrashFolder> out;
  UniqueFd top(open(topdir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!top.valid()) return out;
  const std::string uidName = std::to_string(uid);
  struct stat st;

  UniqueFd shared(openat(top.get(), ".Trash", O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (shared.valid() && fstat(shared.get(), &st) == 0 && S_ISDIR(st.st_mode) &&
      (st.st_mode & S_ISVTX)) {
    UniqueFd own = openOwnedFolder(shared.get(), uidName.c_str(), uid, st);
    if (own.valid()) addFolder(out, joinPath(topdir, ".Trash/" + uidName), std::move(own), st);
  }

  const std::string privateName = ".Trash-" + uidName;
  UniqueFd own = openOwnedFolder(top.get(), privateName.c_str(), uid, st);
  if (own.valid()) addFolder(out, joinPath(topdir, privateName), std::move(own), st);
  return out;
}

bool EmptyTrashFolder(const TrashFolder& trash, bool preview, ClearOutcome& out) {
  if (!trash.fd.valid()) {
    out.fail(trash.path, trash.refused.empty() ? "it cannot be opened" : trash.refused);
    return false;
  }
  const int trashFd = trash.fd.get();
  bool emptied = emptyFiles(trash, preview, out);
  if (preview) return emptied;
  emptied = emptySubFolder(
                trashFd, "info", trash.device,
                [trashFd](const char* name) { return describesRemainingItem(trashFd, name); }) &&
            emptied;
  emptied = emptySubFolder(trashFd, "expunged", trash.device) && emptied;
  if (unlinkat(trashFd, "directorysizes", 0) != 0 && errno != ENOENT) emptied = false;
  return emptied;
}

}  // namespace platform::linux_os
