#include "platform/linux/net/download_target.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

namespace platform::linux_os {

namespace {

std::string folderOf(const std::string& path) {
  auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
  auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

DownloadTarget::DownloadTarget(std::string destination, std::int64_t maxBytes)
    : destination_(std::move(destination)), maxBytes_(maxBytes) {
  // A hidden name of our own beside the destination, so the final rename
  // stays on one file system and is atomic.
  std::string folder = folderOf(destination_);
  tempPath_ = (folder == "/" ? "" : folder) + "/." + nameOf(destination_) + ".XXXXXX";
  fd_ = mkostemp(tempPath_.data(), O_CLOEXEC);
  if (fd_ < 0) {
    tempPath_.clear();
    return;
  }
  // The version file is no secret; give it the usual mode, not mkstemp's 0600.
  fchmod(fd_, 0644);
}

DownloadTarget::~DownloadTarget() {
  if (fd_ >= 0) close(fd_);
  if (!tempPath_.empty()) unlink(tempPath_.c_str());
}

bool DownloadTarget::restart() {
  written_ = 0;
  overLimit_ = false;
  return fd_ >= 0 && ftruncate(fd_, 0) == 0 && lseek(fd_, 0, SEEK_SET) == 0;
}

bool DownloadTarget::append(const char* data, std::size_t size) {
  if (fd_ < 0) return false;
  if (static_cast<std::uint64_t>(written_) + size > static_cast<std::uint64_t>(maxBytes_)) {
    overLimit_ = true;
    return false;
  }
  while (size > 0) {
    ssize_t n = write(fd_, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
    written_ += n;
  }
  return true;
}

bool DownloadTarget::commit() {
  if (fd_ < 0) return false;
  bool ok = fsync(fd_) == 0;
  ok = close(fd_) == 0 && ok;
  fd_ = -1;
  if (!ok || std::rename(tempPath_.c_str(), destination_.c_str()) != 0) return false;
  tempPath_.clear();  // now the destination: nothing left to remove
  return true;
}

}  // namespace platform::linux_os
