#include "platform/linux/files/overwrite_session.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/common/posix_files.h"
#include "platform/linux/files/file_errors.h"
#include "platform/linux/files/old_copies.h"
#include "platform/linux/files/overwrite_target.h"

namespace platform::linux_os {

namespace {

constexpr int kWriteFlags = O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

struct PathParts {
  std::string folder;
  std::string name;
};

PathParts splitPath(const std::string& path) {
  return {folderOf(path), platform::fileNameOf(path)};
}

OverwriteOpen outcome(OverwriteKind kind, int error = 0) {
  OverwriteOpen result;
  result.kind = kind;
  result.error = error;
  return result;
}

std::string procPath(int fd) {
  return "/proc/self/fd/" + std::to_string(fd);
}

// Opens the inode that pathFd (an O_PATH descriptor) stands for, for
// writing; never by name again, so the file cannot be swapped meanwhile.
UniqueFd reopenForWriting(int pathFd) {
  return UniqueFd(open(procPath(pathFd).c_str(), kWriteFlags));
}

// A path below a chosen folder: relative, and never climbing out of it.
bool staysBelow(const std::string& path) {
  if (path.empty() || path[0] == '/') return false;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (path.compare(start, end - start, "..") == 0) return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

LinuxOverwriteSession::LinuxOverwriteSession(const OverwriteOptions& options,
                                             std::shared_ptr<const FolderResolver> folders)
    : options_(options), folders_(std::move(folders)) {
  ensureLeaseSignalHandled();
}

bool LinuxOverwriteSession::heldByOthers(dev_t dev, ino_t ino) {
  if (!snapshot_) snapshot_ = OpenFilesSnapshot::take();
  return snapshot_->contains(dev, ino);
}

void LinuxOverwriteSession::rememberFileSystem(dev_t dev, int dirFd) {
  if (written_.count(dev)) return;
  int copy = fcntl(dirFd, F_DUPFD_CLOEXEC, 0);
  if (copy >= 0) written_.emplace(dev, UniqueFd(copy));
}

OverwriteOpen LinuxOverwriteSession::open(const std::string& path) {
  // A file outside the folder the session wipes is none of its business.
  if (folders_->rooted() && !staysBelow(path))
    return outcome(OverwriteKind::Failed, errorFromErrno(EACCES));
  PathParts parts = splitPath(path);
  if (parts.name.empty() || parts.name == "." || parts.name == "..")
    return outcome(OverwriteKind::NotRegular);
  // One name at a time: a folder on the way that became a link (or a mount)
  // since the listing is not entered, and the file is not there any more.
  UniqueFd folder = folders_->open(parts.folder);
  if (!folder.valid())
    return errno == ENOENT || errno == ENOTDIR || errno == ELOOP
               ? outcome(OverwriteKind::Missing)
               : outcome(OverwriteKind::Failed, errorFromErrno(errno));
  // O_PATH with O_NOFOLLOW holds the entry itself, a link included, without
  // opening it: a FIFO does not block, a device is not touched. A mount on
  // the name is crossed, though: what is held is what the mount shows.
  UniqueFd entry(openat(folder.get(), parts.name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
  struct stat st {};
  FolderIdentity where;
  if (!entry.valid() || !identifyEntry(entry.get(), st, where))
    return errno == ENOENT ? outcome(OverwriteKind::Missing)
                           : outcome(OverwriteKind::Failed, errorFromErrno(errno));
  // Whatever is mounted there lives elsewhere: never written, never unlinked.
  FolderIdentity folderWhere;
  if (!folders_->identifyFolder(folder.get(), folderWhere) || !onMountOf(folderWhere, where))
    return outcome(OverwriteKind::MountPoint);

  auto target = std::make_unique<LinuxOverwriteTarget>(std::move(folder), folders_, parts.folder,
                                                       parts.name, st);
  OverwriteOpen result;
  // Another user's link is theirs too (a shared temporary folder holds many).
  if (options_.ownedByUserOnly && st.st_uid != geteuid()) return outcome(OverwriteKind::NotOwned);
  if (S_ISLNK(st.st_mode)) {
    result.kind = OverwriteKind::SymbolicLink;
    result.target = std::move(target);
    return result;
  }
  const FileSystemType& fileSystem = fileSystems_.of(st.st_dev, entry.get());
  if (fileSystem.kind == FileSystemKind::HoldsNoFiles) {
    result.kind = OverwriteKind::OnKernelInterface;
    result.fileSystem = fileSystem.name;
    return result;
  }
  if (!S_ISREG(st.st_mode)) return outcome(OverwriteKind::NotRegular);
  if (st.st_nlink > 1) {
    if (heldByOthers(st.st_dev, st.st_ino)) return outcome(OverwriteKind::InUse);
    result.kind = OverwriteKind::HardLinked;
    result.target = std::move(target);
    return result;
  }
  // Where the file system keeps the old data whatever is written, or keeps
  // it in memory and swap, the file is only removed: not even opened for
  // writing, which on an overlay would copy it up, one copy more.
  if (fileSystem.kind != FileSystemKind::OverwriteReaches) {
    if (heldByOthers(st.st_dev, st.st_ino)) return outcome(OverwriteKind::InUse);
    result.kind = fileSystem.kind == FileSystemKind::InMemory ? OverwriteKind::InMemory
                                                              : OverwriteKind::OldCopiesKept;
    result.fileSystem = fileSystem.name;
    result.target = std::move(target);
    return result;
  }

  UniqueFd file = reopenForWriting(entry.get());
  if (!file.valid() && errno == ETXTBSY) return outcome(OverwriteKind::InUse);
  if (!file.valid() && (errno == EACCES || errno == EPERM) && st.st_uid == geteuid()) {
    // A read-only file of ours: made writable through what we hold, never by name.
    if (chmod(procPath(entry.get()).c_str(), st.st_mode | S_IRUSR | S_IWUSR) == 0) {
      file = reopenForWriting(entry.get());
      target->restoreModeOnClose(st.st_mode & 07777);
    }
  }
  if (!file.valid()) return outcome(OverwriteKind::Failed, errorFromErrno(errno));

  // A write lease is refused while anyone else has the file open for writing
  // or mapped. It is given back at once: held, it would make any program that
  // opens the file meanwhile wait for the lease break time.
  bool leased = fcntl(file.get(), F_SETLEASE, F_WRLCK) == 0;
  int leaseError = leased ? 0 : errno;
  if (leased) fcntl(file.get(), F_SETLEASE, F_UNLCK);
  target->adopt(std::move(file));
  // Readers are not seen by the lease, so the snapshot is asked too.
  if (leaseError == EAGAIN || leaseError == EBUSY || heldByOthers(st.st_dev, st.st_ino)) {
    target->close();
    return outcome(OverwriteKind::InUse);
  }
  // The file itself may keep its old data elsewhere (shared blocks, its
  // data journaled): then, too, it is only removed.
  const WhereDataLives data = fileSystems_.forFile(st.st_dev, target->fileDescriptor());
  if (data.kind != FileSystemKind::OverwriteReaches) {
    result.kind = OverwriteKind::OldCopiesKept;
    result.fileSystem = data.fileSystem;
    result.sharedBlocks = data.sharedBlocks;
    result.target = std::move(target);
    return result;
  }
  rememberFileSystem(st.st_dev, target->folderDescriptor());
  result.kind = OverwriteKind::Opened;
  result.target = std::move(target);
  return result;
}

int LinuxOverwriteSession::syncAll() {
  int result = 0;
  for (auto& [dev, fd] : written_)
    if (syncfs(fd.get()) != 0 && result == 0) result = errorFromErrno(errno);
  return result;
}

}  // namespace platform::linux_os
