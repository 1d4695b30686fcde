#include "platform/linux/common/held_folder.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/file_layer.h"
#include "platform/linux/common/folder_safety.h"
#include "platform/linux/common/posix_files.h"

namespace platform::linux_os {

namespace {

constexpr int kOpenFolder = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

FolderHold refused(std::string why) {
  FolderHold hold;
  hold.result = FolderHold::Result::Refused;
  hold.refusal = std::move(why) + "; left as it is";
  return hold;
}

bool sameEntry(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::string protectedWords(FolderProtection protection, bool link) {
  const std::string leads = link ? "is a link into " : "is in ";
  switch (protection) {
    case FolderProtection::Home:
    case FolderProtection::HoldsHome:
      return link ? "is a link to the home folder or a folder holding it"
                  : "is the home folder or a folder holding it";
    case FolderProtection::OtherUsersHome:
      return leads + "another user's home";
    default:
      return leads + "a system folder";
  }
}

}  // namespace

FolderHold HoldUserFolder(const std::string& path, uid_t uid) {
  struct stat entry {};
  if (path.empty() || lstat(path.c_str(), &entry) != 0) {
    if (path.empty() || errno == ENOENT || errno == ENOTDIR) return {};
    return refused("cannot be reached (" + errorWords(errno) + ")");
  }
  const bool link = S_ISLNK(entry.st_mode);
  if (!link && !S_ISDIR(entry.st_mode)) return {};
  // Only the user (or the system) places a link among the user's stores; one
  // planted by another account is never followed.
  if (link && entry.st_uid != uid && entry.st_uid != 0)
    return refused("is a link owned by another user");

  UniqueFd fd(open(path.c_str(), link ? kOpenFolder : kOpenFolder | O_NOFOLLOW));
  if (!fd.valid()) {
    if (errno == ENOENT || errno == ENOTDIR || (errno == ELOOP && link)) return {};
    return refused("cannot be opened (" + errorWords(errno) + ")");
  }
  struct stat again {};
  struct stat opened {};
  if (lstat(path.c_str(), &again) != 0 || !sameEntry(entry, again) ||
      again.st_uid != entry.st_uid || fstat(fd.get(), &opened) != 0 ||
      (!link && !sameEntry(entry, opened)))
    return refused("changed while it was opened");

  FolderHold hold;
  const FolderProtection protection = JudgeOpenedFolder(fd.get(), hold.folder.realPath);
  // A store on the root of another disk is where the user put it.
  if (protection != FolderProtection::None && protection != FolderProtection::MountRoot)
    return refused(protectedWords(protection, link));
  if (link && opened.st_uid != uid) return refused("is a link to a folder of another user");
  hold.result = FolderHold::Result::Held;
  hold.folder.fd = std::move(fd);
  hold.folder.device = opened.st_dev;
  hold.folder.inode = opened.st_ino;
  hold.folder.throughLink = link;
  return hold;
}

}  // namespace platform::linux_os
