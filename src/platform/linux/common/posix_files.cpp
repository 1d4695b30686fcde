#include "platform/linux/common/posix_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "platform/linux/common/posix_fd.h"

namespace platform::linux_os {

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool writeAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool syncFolder(const std::string& folder) {
  UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return dir.valid() && ::fsync(dir.get()) == 0;
}

AtomicFile::AtomicFile(std::string destination, const std::string& tempPrefix, mode_t mode)
    : destination_(std::move(destination)), tempPath_(tempPrefix + "XXXXXX") {
  fd_ = ::mkostemp(tempPath_.data(), O_CLOEXEC);
  if (fd_ < 0) {
    tempPath_.clear();
    return;
  }
  if (::fchmod(fd_, mode) != 0) {
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

bool AtomicFile::commit() {
  if (fd_ < 0) return false;
  bool ok = ::fsync(fd_) == 0;
  ok = ::close(std::exchange(fd_, -1)) == 0 && ok;
  if (!ok || std::rename(tempPath_.c_str(), destination_.c_str()) != 0) return false;
  tempPath_.clear();  // now the destination: nothing left to remove
  // The rename is durable only once the folder's entry is on the storage.
  return syncFolder(folderOf(destination_));
}

std::string atomicTempPrefix(const std::string& path) {
  return path + ".tmp-";
}

bool writeFileAtomically(const std::string& path, std::string_view content, mode_t mode) {
  AtomicFile file(path, atomicTempPrefix(path), mode);
  return file.created() && writeAll(file.fd(), content) && file.commit();
}

}  // namespace platform::linux_os
