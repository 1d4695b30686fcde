#include "platform/linux/files/linux_file_layer.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/common/posix_fd.h"
#include "platform/linux/common/posix_files.h"
#include "platform/linux/common/xdg_paths.h"
#include "platform/linux/files/chosen_folder.h"
#include "platform/linux/files/file_errors.h"
#include "platform/linux/files/overwrite_session.h"
#include "platform/linux/files/tree_walk.h"

namespace platform::linux_os {

namespace {

struct Location {
  UniqueFd folder;
  std::string name;
};

// The folder part opened as a directory, the last part kept as a name, so
// that every call on it can refuse to follow a link.
Location locate(const std::string& path) {
  const std::string trimmed = platform::withoutTrailingSeparators(path);
  return {UniqueFd(open(folderOf(trimmed).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
          platform::fileNameOf(trimmed)};
}

int folderError(int err) {
  return err == ENOENT ? kErrPathNotFound : errorFromErrno(err);
}

int attributesOf(const std::string& name, const struct stat& st) {
  int attributes = 0;
  if (S_ISDIR(st.st_mode)) attributes |= kAttrDirectory;
  if (!(st.st_mode & S_IWUSR)) attributes |= kAttrReadOnly;
  if (!name.empty() && name[0] == '.') attributes |= kAttrHidden;
  return attributes;
}

}  // namespace

std::vector<DirEntry> LinuxFileLayer::listFolder(const std::string& folder) {
  std::vector<DirEntry> entries;
  const std::string trimmed = platform::withoutTrailingSeparators(folder);
  const FolderListing dir =
      listingOf(UniqueFd(open(trimmed.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)));
  if (!dir) return entries;
  while (dirent* entry = readdir(dir.get())) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    struct stat st {};
    if (fstatat(dirfd(dir.get()), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    entries.push_back(DirEntry{entry->d_name, attributesOf(entry->d_name, st)});
  }
  return entries;
}

int LinuxFileLayer::deleteFile(const std::string& path) {
  Location where = locate(path);
  if (!where.folder.valid()) return errno == ENOENT ? kErrFileNotFound : folderError(errno);
  struct stat st {};
  if (fstatat(where.folder.get(), where.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
    return deleteErrorFromErrno(errno);
  if (S_ISDIR(st.st_mode)) return kErrPathFileAccess;
  // A read-only file refuses deletion until its attributes are reset.
  if (S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR)) return kErrPathFileAccess;
  if (unlinkat(where.folder.get(), where.name.c_str(), 0) != 0) return deleteErrorFromErrno(errno);
  return 0;
}

int LinuxFileLayer::setAttributes(const std::string& path, int attributes) {
  Location where = locate(path);
  if (!where.folder.valid()) return folderError(errno);
  UniqueFd entry(openat(where.folder.get(), where.name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
  struct stat st {};
  if (!entry.valid() || fstat(entry.get(), &st) != 0) return errorFromErrno(errno);
  if (S_ISLNK(st.st_mode)) return 0;  // a link has no attributes of its own
  mode_t mode = st.st_mode & 07777;
  if (attributes & kAttrReadOnly)
    mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
  else
    mode |= S_IRUSR | S_IWUSR;
  // Through the descriptor held, so a name swapped for a link changes nothing.
  std::string held = "/proc/self/fd/" + std::to_string(entry.get());
  if (chmod(held.c_str(), mode) != 0) return errorFromErrno(errno);
  return 0;
}

int LinuxFileLayer::fileLength(const std::string& path, std::int64_t& length) {
  Location where = locate(path);
  if (!where.folder.valid()) return folderError(errno);
  struct stat st {};
  if (fstatat(where.folder.get(), where.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
    return errorFromErrno(errno);
  length = st.st_size;
  return 0;
}

std::string LinuxFileLayer::errorText(int error) {
  return fileErrorText(error);
}

int LinuxFileLayer::walkFiles(const std::string& folder,
                              const std::function<void(const std::string&)>& onFile) {
  return walkTree(folder, onFile);
}

std::unique_ptr<OverwriteSession> LinuxFileLayer::beginOverwrite(const OverwriteOptions& options) {
  return std::make_unique<LinuxOverwriteSession>(options, std::make_shared<const FolderResolver>());
}

ChosenFolderOpen LinuxFileLayer::chooseFolder(const std::string& folder) {
  return LinuxChosenFolder::open(folder);
}

std::string LinuxFileLayer::homeFolder() {
  return linux_os::homeFolder();
}

}  // namespace platform::linux_os
