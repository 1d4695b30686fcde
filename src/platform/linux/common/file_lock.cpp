#include "platform/linux/common/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <utility>

namespace platform::linux_os {

FileLock FileLock::take(const std::string& path) {
  FileLock lock;
  // Close-on-exec: a program we start must not hold the lock after we end.
  UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600));
  if (!fd.valid()) {
    lock.error_ = errno;
    return lock;
  }
  while (::flock(fd.get(), LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    lock.error_ = errno;
    return lock;
  }
  lock.fd_ = std::move(fd);
  return lock;
}

}  // namespace platform::linux_os
