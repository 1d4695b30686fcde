#include "platform/linux/common/posix_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

#include "platform/linux/common/posix_fd.h"

namespace platform::linux_os {

std::string folderOf(const std::string& path) {
  std::string folder = platform::folderOf(path);
  return folder.empty() ? "." : folder;
}

FolderListing listingOf(UniqueFd folder) {
  FolderListing listing(folder.valid() ? ::fdopendir(folder.get()) : nullptr, ::closedir);
  if (listing) folder.release();  // the listing owns it now
  return listing;
}

FolderListing listingOfCopy(int dirFd) {
  FolderListing listing = listingOf(UniqueFd(::fcntl(dirFd, F_DUPFD_CLOEXEC, 0)));
  // The copy shares its position with dirFd: start afresh.
  if (listing) ::rewinddir(listing.get());
  return listing;
}

bool isRegularFile(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

namespace {

ReadStatus readOpenFile(int fd, std::size_t maxSize, std::string& out) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return ReadStatus::Failed;
  if (!S_ISREG(st.st_mode)) return ReadStatus::NotRegular;
  if (static_cast<unsigned long long>(st.st_size) > maxSize) return ReadStatus::TooLarge;
  out.resize(static_cast<std::size_t>(st.st_size));
  std::size_t done = 0;
  for (;;) {
    if (done == out.size()) out.resize(done + 4096);  // the file may have grown
    const ssize_t n = ::read(fd, out.data() + done, out.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return ReadStatus::Failed;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
    if (done > maxSize) return ReadStatus::TooLarge;
  }
  out.resize(done);
  return ReadStatus::Ok;
}

}  // namespace

ReadStatus readWholeFile(const std::string& path, std::size_t maxSize, std::string& out,
                         AtLink links) {
  out.clear();
  const int flags =
      O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (links == AtLink::Refuse ? O_NOFOLLOW : 0);
  UniqueFd file(::open(path.c_str(), flags));
  if (!file.valid())
    return errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing : ReadStatus::Failed;
  const ReadStatus status = readOpenFile(file.get(), maxSize, out);
  if (status != ReadStatus::Ok) out.clear();
  return status;
}

int writeWhole(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return ENOSPC;
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

bool writeAll(int fd, std::string_view data) {
  return writeWhole(fd, data) == 0;
}

std::string errorWords(int code) {
  switch (code) {
    case ENOSPC:
      return "the disk is full";
    case EDQUOT:
      return "the disk quota is used up";
    case EROFS:
      return "read-only file system";
    case EIO:
      return "input/output error";
    case EACCES:
    case EPERM:
      return "permission denied";
    case EFBIG:
      return "the file is too large";
    default:
      break;
  }
  std::string text = std::strerror(code);
  if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  return text;
}

bool syncFolder(const std::string& folder) {
  UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return dir.valid() && ::fsync(dir.get()) == 0;
}

AtomicFile::AtomicFile(std::string destination, const std::string& tempPrefix, mode_t mode)
    : destination_(std::move(destination)), tempPath_(tempPrefix + "XXXXXX") {
  fd_ = ::mkostemp(tempPath_.data(), O_CLOEXEC);
  if (fd_ < 0) {
    creationError_ = errno;
    tempPath_.clear();
    return;
  }
  if (::fchmod(fd_, mode) != 0) {
    creationError_ = errno;
    ::close(fd_);
    fd_ = -1;
    ::unlink(tempPath_.c_str());
    tempPath_.clear();
  }
}

AtomicFile::~AtomicFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
}

bool AtomicFile::restart() {
  return fd_ >= 0 && ::ftruncate(fd_, 0) == 0 && ::lseek(fd_, 0, SEEK_SET) == 0;
}

FileReplacement AtomicFile::commitFile() {
  if (fd_ < 0) return {creationError_ != 0 ? creationError_ : EBADF, false};
  int error = ::fsync(fd_) == 0 ? 0 : errno;
  if (::close(std::exchange(fd_, -1)) != 0 && error == 0) error = errno;
  if (error != 0) return {error, false};
  if (std::rename(tempPath_.c_str(), destination_.c_str()) != 0) return {errno, false};
  tempPath_.clear();  // now the destination: nothing left to remove
  // The rename is durable only once the folder's entry is on the storage.
  if (!syncFolder(folderOf(destination_))) return {errno != 0 ? errno : EIO, true};
  return {0, true};
}

std::string atomicTempPrefix(const std::string& path) {
  return path + ".tmp-";
}

FileReplacement replaceFileAtomically(const std::string& path, std::string_view content,
                                      mode_t mode, const std::string& tempPrefix) {
  AtomicFile file(path, tempPrefix, mode);
  if (!file.created()) return {file.creationError(), false};
  if (const int error = writeWhole(file.fd(), content); error != 0) return {error, false};
  return file.commitFile();
}

bool writeFileAtomically(const std::string& path, std::string_view content, mode_t mode) {
  const FileReplacement result = replaceFileAtomically(path, content, mode, atomicTempPrefix(path));
  if (!result.ok()) errno = result.error;
  return result.ok();
}

namespace {

constexpr std::string_view kOwnTempMark = ".tracesweep-tmp-";
constexpr std::string_view kOldTempMark = ".tracesweep-";
constexpr std::size_t kTempRandomLength = 6;  // mkostemp's XXXXXX

bool allDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool olderThan(const struct stat& st, const timespec& before) {
  return st.st_mtim.tv_sec < before.tv_sec ||
         (st.st_mtim.tv_sec == before.tv_sec && st.st_mtim.tv_nsec < before.tv_nsec);
}

}  // namespace

std::string ownTempPrefix(const std::string& path) {
  const std::string folder = folderOf(path);
  return (folder == "/" ? "" : folder) + "/." + platform::fileNameOf(path) +
         std::string(kOwnTempMark);
}

bool isOwnTemporaryName(std::string_view name) {
  // ".<name>.tracesweep-tmp-XXXXXX"
  if (name.size() > kTempRandomLength && name.front() == '.') {
    const std::string_view stem = name.substr(0, name.size() - kTempRandomLength);
    if (stem.size() > kOwnTempMark.size() + 1 && stem.ends_with(kOwnTempMark)) return true;
  }
  // "<name>.tracesweep-<digits>", as earlier versions named them
  const std::size_t mark = name.rfind(kOldTempMark);
  return mark != std::string_view::npos && mark > 0 &&
         allDigits(name.substr(mark + kOldTempMark.size()));
}

void removeStaleTemporaries(const std::string& folder,
                            const std::function<bool(std::string_view)>& isTemporary,
                            const timespec& before) {
  const FolderListing dir =
      listingOf(UniqueFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)));
  if (!dir) return;
  const int dirFd = ::dirfd(dir.get());
  while (const dirent* entry = ::readdir(dir.get())) {
    if (!isTemporary(entry->d_name)) continue;
    struct stat st {};
    if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
        olderThan(st, before))
      ::unlinkat(dirFd, entry->d_name, 0);
  }
}

}  // namespace platform::linux_os
