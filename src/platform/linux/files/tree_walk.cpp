#include "platform/linux/files/tree_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/file_layer.h"
#include "platform/linux/common/posix_fd.h"
#include "platform/linux/common/posix_files.h"
#include "platform/linux/files/pseudo_file_systems.h"
#include "platform/linux/files/safe_path.h"

namespace platform::linux_os {

namespace {

// Folders deeper than this give up their descriptor while their sub-folders
// are walked and are opened again through ".." afterwards, so that any depth
// fits in a few descriptors.
constexpr std::size_t kOpenDepth = 64;

constexpr int kDirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;

struct Entry {
  std::string name;
  bool isFolder = false;
};

struct Level {
  UniqueFd fd;
  dev_t dev = 0;
  ino_t ino = 0;
  std::string prefix;  // relative path of this folder, ending in "/" (empty at the top)
  std::vector<Entry> entries;
  std::size_t next = 0;
};

bool isFolderEntry(int dirFd, const dirent& entry) {
  if (entry.d_type == DT_DIR) return true;
  if (entry.d_type != DT_UNKNOWN) return false;
  struct stat st {};
  return fstatat(dirFd, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
}

// The whole listing, read at once, so that the folder's descriptor may be
// closed while its sub-folders are walked.
std::vector<Entry> readListing(int dirFd) {
  std::vector<Entry> entries;
  const FolderListing dir = listingOfCopy(dirFd);
  if (!dir) return entries;
  while (dirent* entry = readdir(dir.get())) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    entries.push_back(Entry{entry->d_name, isFolderEntry(dirFd, *entry)});
  }
  return entries;
}

bool openLevel(UniqueFd fd, std::string prefix, std::vector<Level>& stack) {
  struct stat st {};
  if (fstat(fd.get(), &st) != 0) return false;
  Level level;
  level.entries = readListing(fd.get());
  level.fd = std::move(fd);
  level.dev = st.st_dev;
  level.ino = st.st_ino;
  level.prefix = std::move(prefix);
  stack.push_back(std::move(level));
  return true;
}

// Leaves the top level and makes sure its parent has a descriptor again.
int leaveLevel(std::vector<Level>& stack) {
  Level done = std::move(stack.back());
  stack.pop_back();
  if (stack.empty() || stack.back().fd.valid()) return 0;
  UniqueFd parent(openat(done.fd.get(), "..", kDirFlags));
  struct stat st {};
  if (!parent.valid() || fstat(parent.get(), &st) != 0) return kErrPathFileAccess;
  // The folder was moved while it was walked: going on could leave the tree.
  if (st.st_dev != stack.back().dev || st.st_ino != stack.back().ino) return kErrPathFileAccess;
  stack.back().fd = std::move(parent);
  return 0;
}

// True for a folder on another mount than the walk's top folder: another
// file system, or a bind mount (which keeps the device of what it shows).
bool onAnotherMount(int folderFd, const FolderIdentity& top) {
  FolderIdentity identity;
  return !identify(folderFd, identity) || !onMountOf(top, identity);
}

}  // namespace

int walkTree(const std::string& folder,
             const std::function<void(const std::string& relative)>& onFile) {
  // The named folder itself is not followed either when it is a link.
  return walkTreeFrom(
      UniqueFd(open(platform::withoutTrailingSeparators(folder).c_str(), kDirFlags)), onFile,
      nullptr);
}

int walkTreeFrom(UniqueFd rootFd, const std::function<void(const std::string& relative)>& onFile,
                 const std::function<void(const std::string& folder, ino_t ino)>& onFolder) {
  std::vector<Level> stack;
  if (!rootFd.valid()) return 0;
  // /proc and its kin hold no files to wipe: said, not taken for an empty folder.
  if (onPseudoFileSystem(rootFd.get())) return kErrPathFileAccess;
  FolderIdentity root;
  if (!identify(rootFd.get(), root)) return 0;
  if (!openLevel(std::move(rootFd), std::string(), stack)) return 0;
  if (onFolder) onFolder(std::string(), stack.back().ino);

  while (!stack.empty()) {
    Level& top = stack.back();
    if (top.next == top.entries.size()) {
      if (int error = leaveLevel(stack)) return error;
      continue;
    }
    const Entry entry = std::move(top.entries[top.next++]);
    if (!entry.isFolder) {
      onFile(top.prefix + entry.name);
      continue;
    }
    UniqueFd child(openat(top.fd.get(), entry.name.c_str(), kDirFlags));
    if (!child.valid()) {
      // Replaced by a link or a file since the listing: report it, never enter it.
      if (errno == ELOOP || errno == ENOTDIR) onFile(top.prefix + entry.name);
      continue;  // an unreadable folder contributes nothing
    }
    // A drive, a bind mount or /proc mounted inside the tree is not the
    // tree's: not entered, but named, so that whoever wipes the tree hears
    // that it was left.
    if (onAnotherMount(child.get(), root)) {
      onFile(top.prefix + entry.name);
      continue;
    }
    std::string prefix = top.prefix + entry.name + "/";
    if (!openLevel(std::move(child), std::move(prefix), stack)) continue;
    if (onFolder)
      onFolder(stack.back().prefix.substr(0, stack.back().prefix.size() - 1), stack.back().ino);
    if (stack.size() > kOpenDepth) stack[stack.size() - 2].fd.reset();
  }
  return 0;
}

}  // namespace platform::linux_os
