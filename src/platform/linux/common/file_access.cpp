// The system-neutral file toolbox on Linux: descriptors and the *at calls,
// over the toolbox the Linux services share.
#include "platform/file_access.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/linux/common/held_folder.h"
#include "platform/linux/common/posix_fd.h"
#include "platform/linux/common/posix_files.h"

namespace platform::files {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
// O_NONBLOCK: opening a FIFO planted among the files must not hang.
constexpr int kFileFlags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;

std::int64_t nanoseconds(const timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

EntryInfo infoFrom(const struct stat& st) {
  EntryInfo info;
  info.kind = S_ISREG(st.st_mode)   ? EntryKind::File
              : S_ISDIR(st.st_mode) ? EntryKind::Folder
              : S_ISLNK(st.st_mode) ? EntryKind::Link
                                    : EntryKind::Other;
  info.size = st.st_size > 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
  info.modifiedNs = nanoseconds(st.st_mtim);
  info.accessedNs = nanoseconds(st.st_atim);
  return info;
}

int fdOf(std::intptr_t handle) {
  return static_cast<int>(handle);
}

void closeHandle(std::intptr_t& handle) {
  if (handle >= 0) ::close(fdOf(handle));
  handle = -1;
}

}  // namespace

std::string errorWords(FileError error) {
  return linux_os::errorWords(error);
}

bool isMissing(FileError error) {
  return error == ENOENT || error == ENOTDIR;
}

bool isLinkRefused(FileError error) {
  return error == ELOOP;
}

bool isUnsupported(FileError error) {
  // renameat2 answers EINVAL for a flag the file system lacks, ENOSYS on a
  // kernel without the call.
  return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

// ---- ChangeHold ----

ChangeHold::ChangeHold(ChangeHold&& other) noexcept
    : handle_(std::exchange(other.handle_, kNone)), error_(other.error_) {}

ChangeHold& ChangeHold::operator=(ChangeHold&& other) noexcept {
  if (this != &other) {
    closeHandle(handle_);
    handle_ = std::exchange(other.handle_, kNone);
    error_ = other.error_;
  }
  return *this;
}

ChangeHold::~ChangeHold() {
  // Closing the descriptor releases the lock.
  closeHandle(handle_);
}

// ---- ReadFile ----

ReadFile::ReadFile(ReadFile&& other) noexcept
    : handle_(std::exchange(other.handle_, kNone)), error_(other.error_), info_(other.info_) {}

ReadFile& ReadFile::operator=(ReadFile&& other) noexcept {
  if (this != &other) {
    closeHandle(handle_);
    handle_ = std::exchange(other.handle_, kNone);
    error_ = other.error_;
    info_ = other.info_;
  }
  return *this;
}

ReadFile::~ReadFile() {
  closeHandle(handle_);
}

bool ReadFile::readAt(std::uint64_t offset, char* out, std::size_t length) const {
  while (length > 0) {
    const ssize_t n = ::pread(fdOf(handle_), out, length, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    out += n;
    length -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
  return true;
}

long long ReadFile::readNext(char* out, std::size_t length) {
  for (;;) {
    const ssize_t n = ::read(fdOf(handle_), out, length);
    if (n < 0 && errno == EINTR) continue;
    return n;
  }
}

// ---- OpenFolder ----

OpenFolder::OpenFolder(OpenFolder&& other) noexcept
    : handle_(std::exchange(other.handle_, kNone)),
      error_(other.error_),
      path_(std::move(other.path_)) {}

OpenFolder& OpenFolder::operator=(OpenFolder&& other) noexcept {
  if (this != &other) {
    closeHandle(handle_);
    handle_ = std::exchange(other.handle_, kNone);
    error_ = other.error_;
    path_ = std::move(other.path_);
  }
  return *this;
}

OpenFolder::~OpenFolder() {
  closeHandle(handle_);
}

OpenFolder OpenFolder::open(const std::string& path) {
  OpenFolder folder;
  folder.path_ = path;
  const int fd = ::open(path.c_str(), kFolderFlags);
  if (fd < 0)
    folder.error_ = errno;
  else
    folder.handle_ = fd;
  return folder;
}

OpenFolder OpenFolder::child(std::string_view name) const {
  OpenFolder folder;
  folder.path_ = joinPath(path_, std::string(name));
  if (!valid()) {
    folder.error_ = error_ ? error_ : EBADF;
    return folder;
  }
  const int fd = ::openat(fdOf(handle_), std::string(name).c_str(), kFolderFlags);
  if (fd < 0)
    folder.error_ = errno;
  else
    folder.handle_ = fd;
  return folder;
}

std::vector<std::string> OpenFolder::names() const {
  std::vector<std::string> names;
  if (!valid()) return names;
  // A listing of its own, from the start: the held descriptor stays usable.
  const linux_os::FolderListing dir = linux_os::listingOfCopy(fdOf(handle_));
  if (!dir) return names;
  while (const dirent* e = ::readdir(dir.get())) {
    const std::string_view name(e->d_name);
    if (name != "." && name != "..") names.emplace_back(name);
  }
  return names;
}

std::optional<EntryInfo> OpenFolder::info(std::string_view name) const {
  struct stat st {};
  if (!valid() ||
      ::fstatat(fdOf(handle_), std::string(name).c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
    return std::nullopt;
  return infoFrom(st);
}

FileError OpenFolder::remove(std::string_view name) const {
  if (!valid()) return error_ ? error_ : EBADF;
  // unlinkat never follows a link: a planted link goes, its target stays.
  if (::unlinkat(fdOf(handle_), std::string(name).c_str(), 0) == 0 || errno == ENOENT) return 0;
  return errno;
}

namespace {

// Deeper than any browser store; a deeper tree is left with an error rather
// than risking the stack.
constexpr int kMaxTreeDepth = 128;

void noteFailure(TreeRemoval& out, int error, const std::string& path) {
  if (out.error != 0) return;
  out.error = error;
  out.failedPath = path;
}

// Removes name (in the folder open as parentFd, on device) and, for a
// folder, everything in it, like rm -r: descriptors all the way down.
void removeTreeAt(int parentFd, const std::string& name, const std::string& path, dev_t device,
                  int depth, TreeRemoval& out) {
  struct stat st {};
  if (::fstatat(parentFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno != ENOENT) noteFailure(out, errno, path);
    return;
  }
  if (st.st_dev != device) return noteFailure(out, EXDEV, path);
  if (S_ISDIR(st.st_mode)) {
    if (depth >= kMaxTreeDepth) return noteFailure(out, ELOOP, path);
    linux_os::UniqueFd fd(::openat(parentFd, name.c_str(), kFolderFlags));
    struct stat opened {};
    if (!fd.valid() || ::fstat(fd.get(), &opened) != 0) return noteFailure(out, errno, path);
    // The folder looked at is the folder opened; one swapped in between is
    // not walked.
    if (opened.st_dev != st.st_dev || opened.st_ino != st.st_ino)
      return noteFailure(out, EAGAIN, path);
    std::vector<std::string> names;
    if (const linux_os::FolderListing dir = linux_os::listingOfCopy(fd.get())) {
      while (const dirent* e = ::readdir(dir.get())) {
        const std::string_view entry(e->d_name);
        if (entry != "." && entry != "..") names.emplace_back(entry);
      }
    }
    for (const std::string& entry : names)
      removeTreeAt(fd.get(), entry, joinPath(path, entry), device, depth + 1, out);
  }
  const int flags = S_ISDIR(st.st_mode) ? AT_REMOVEDIR : 0;
  if (::unlinkat(parentFd, name.c_str(), flags) == 0)
    ++out.removed;
  else if (errno != ENOENT)
    noteFailure(out, errno, path);
}

}  // namespace

TreeRemoval OpenFolder::removeTree(std::string_view name) const {
  TreeRemoval out;
  struct stat self {};
  if (!valid()) {
    out.error = error_ ? error_ : EBADF;
    out.failedPath = path_;
    return out;
  }
  if (::fstat(fdOf(handle_), &self) != 0) {
    out.error = errno;
    out.failedPath = path_;
    return out;
  }
  const std::string entry(name);
  removeTreeAt(fdOf(handle_), entry, joinPath(path_, entry), self.st_dev, 0, out);
  return out;
}

EntryIdentity OpenFolder::identity(std::string_view name) const {
  EntryIdentity out;
  struct stat st {};
  if (!valid()) {
    out.error = error_ ? error_ : EBADF;
  } else if (::fstatat(fdOf(handle_), std::string(name).c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    out.error = errno;
  } else {
    out.kind = infoFrom(st).kind;
    out.id = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  }
  return out;
}

FileError OpenFolder::rename(std::string_view from, std::string_view to) const {
  if (!valid()) return error_ ? error_ : EBADF;
  const int fd = fdOf(handle_);
  const std::string source(from), target(to);
  if (::renameat2(fd, source.c_str(), fd, target.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (!isUnsupported(errno)) return errno;
  // A file system without RENAME_NOREPLACE: a plain rename would replace an
  // empty folder or a file under `to`, so a name there is refused first.
  struct stat st {};
  if (::fstatat(fd, target.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
  if (errno != ENOENT) return errno;
  return ::renameat(fd, source.c_str(), fd, target.c_str()) == 0 ? 0 : errno;
}

FileError OpenFolder::exchange(std::string_view first, std::string_view second) const {
  if (!valid()) return error_ ? error_ : EBADF;
  const int fd = fdOf(handle_);
  return ::renameat2(fd, std::string(first).c_str(), fd, std::string(second).c_str(),
                     RENAME_EXCHANGE) == 0
             ? 0
             : errno;
}

FileError OpenFolder::sync() const {
  if (!valid()) return error_ ? error_ : EBADF;
  return ::fsync(fdOf(handle_)) == 0 ? 0 : errno;
}

ChangeHold OpenFolder::holdForChange() const {
  ChangeHold hold;
  if (!valid()) {
    hold.error_ = error_ ? error_ : EBADF;
    return hold;
  }
  // A descriptor of its own: the lock goes with it, not with this folder's.
  linux_os::UniqueFd fd(::openat(fdOf(handle_), ".", kFolderFlags));
  if (!fd.valid()) {
    hold.error_ = errno;
    return hold;
  }
  while (::flock(fd.get(), LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    hold.error_ = errno;
    return hold;
  }
  hold.handle_ = fd.release();
  return hold;
}

ReadFile OpenFolder::openFile(std::string_view name) const {
  ReadFile file;
  if (!valid()) {
    file.error_ = error_ ? error_ : EBADF;
    return file;
  }
  linux_os::UniqueFd fd(::openat(fdOf(handle_), std::string(name).c_str(), kFileFlags));
  struct stat st {};
  if (!fd.valid() || ::fstat(fd.get(), &st) != 0) {
    file.error_ = errno;
    return file;
  }
  if (!S_ISREG(st.st_mode)) {
    file.error_ = EINVAL;
    return file;
  }
  // Reads wait for the disk as usual; only the opening had to be non-blocking.
  ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
  file.info_ = infoFrom(st);
  file.handle_ = fd.release();
  return file;
}

// ---- paths ----

std::optional<EntryInfo> infoOf(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
  return infoFrom(st);
}

bool isRegularFile(const std::string& path) {
  return linux_os::isRegularFile(path);
}

ReadStatus readWholeFile(const std::string& path, std::size_t maxSize, std::string& out) {
  switch (linux_os::readWholeFile(path, maxSize, out, linux_os::AtLink::Refuse)) {
    case linux_os::ReadStatus::Ok:
      return ReadStatus::Ok;
    case linux_os::ReadStatus::Missing:
      return ReadStatus::Missing;
    case linux_os::ReadStatus::NotRegular:
      return ReadStatus::NotRegular;
    case linux_os::ReadStatus::TooLarge:
      return ReadStatus::TooLarge;
    default:
      return ReadStatus::Failed;
  }
}

Replacement replaceFile(const std::string& path, std::string_view content) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return {errno, false};
  if (!S_ISREG(st.st_mode)) return {EINVAL, false};
  const linux_os::FileReplacement result = linux_os::replaceFileAtomically(
      path, content, st.st_mode & 07777, linux_os::ownTempPrefix(path));
  return {result.error, result.replaced};
}

void removeStaleTemporaries(const std::string& folder, const timespec& before) {
  linux_os::removeStaleTemporaries(folder, linux_os::isOwnTemporaryName, before);
}

Replacement writeOwnFile(const std::string& path, std::string_view content) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return {EINVAL, false};
  const linux_os::FileReplacement result =
      linux_os::replaceFileAtomically(path, content, 0600, linux_os::ownTempPrefix(path));
  return {result.error, result.replaced};
}

FileError removeFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0 || errno == ENOENT ? 0 : errno;
}

// ---- private copies ----

namespace {

std::string temporaryBase() {
  const char* tmp = std::getenv("TMPDIR");
  struct stat st {};
  if (tmp && tmp[0] == '/' && ::stat(tmp, &st) == 0 && S_ISDIR(st.st_mode)) return tmp;
  return "/tmp";
}

// Removes one of our private folders: its plain files, then the folder.
void removePrivateFolder(const std::string& path) {
  const OpenFolder folder = OpenFolder::open(path);
  for (const std::string& name : folder.names()) {
    const std::optional<EntryInfo> info = folder.info(name);
    if (info && info->kind != EntryKind::Folder) folder.remove(name);
  }
  ::rmdir(path.c_str());
}

// Folders that a process could not remove (it crashed) may still hold
// copies of cookies or history: remove our own that are over an hour old.
void removeStalePrivateFolders(const std::string& base, const std::string& prefix) {
  const OpenFolder folder = OpenFolder::open(base);
  const std::int64_t staleBefore =
      (static_cast<std::int64_t>(std::time(nullptr)) - 3600) * 1'000'000'000;
  for (const std::string& name : folder.names()) {
    if (!name.starts_with(prefix)) continue;
    const std::string path = joinPath(base, name);
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
        nanoseconds(st.st_mtim) < staleBefore)
      removePrivateFolder(path);
  }
}

}  // namespace

std::unique_ptr<PrivateFolder> PrivateFolder::make(const std::string& prefix) {
  const std::string base = temporaryBase();
  removeStalePrivateFolders(base, prefix);
  std::string path = joinPath(base, prefix + "XXXXXX");
  if (!::mkdtemp(path.data())) return nullptr;
  return std::unique_ptr<PrivateFolder>(new PrivateFolder(std::move(path)));
}

PrivateFolder::~PrivateFolder() {
  removePrivateFolder(path_);
}

CopyResult copyToNewFile(const std::string& from, const std::string& to) {
  linux_os::UniqueFd in(::open(from.c_str(), kFileFlags));
  if (!in.valid()) return errno == ENOENT ? CopyResult::Missing : CopyResult::Failed;
  struct stat st {};
  if (::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) return CopyResult::Failed;
  ::fcntl(in.get(), F_SETFL, ::fcntl(in.get(), F_GETFL) & ~O_NONBLOCK);
  linux_os::UniqueFd out(
      ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!out.valid()) return CopyResult::Failed;
  std::string buffer(1 << 20, '\0');
  for (;;) {
    const ssize_t n = ::read(in.get(), buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return CopyResult::Failed;
    if (n == 0) break;
    if (!linux_os::writeAll(out.get(),
                            std::string_view(buffer.data(), static_cast<std::size_t>(n))))
      return CopyResult::Failed;
  }
  return CopyResult::Copied;
}

// ---- other programs' holds ----

FolderHold holdUserFolder(const std::string& path) {
  linux_os::FolderHold hold = linux_os::HoldUserFolder(path, ::getuid());
  FolderHold result;
  result.refusal = std::move(hold.refusal);
  switch (hold.result) {
    case linux_os::FolderHold::Result::Held:
      result.result = FolderHold::Result::Held;
      result.folder.realPath = std::move(hold.folder.realPath);
      result.folder.device = static_cast<std::uint64_t>(hold.folder.device);
      result.folder.inode = static_cast<std::uint64_t>(hold.folder.inode);
      result.folder.throughLink = hold.folder.throughLink;
      break;
    case linux_os::FolderHold::Result::Refused:
      result.result = FolderHold::Result::Refused;
      break;
    default:
      result.result = FolderHold::Result::Absent;
  }
  return result;
}

bool heldLocked(const std::string& path) {
  linux_os::UniqueFd fd(::open(path.c_str(), kFileFlags));
  if (!fd.valid()) return false;
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  return ::fcntl(fd.get(), F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
}

}  // namespace platform::files
