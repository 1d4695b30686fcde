// An exclusive lock between processes: an flock on a lock file, held while
// the object lives. The kernel drops it when the process ends, so a crash
// leaves no stale lock; the file itself stays, as removing it would let two
// holders lock two different files of the same name.
#pragma once

#include <string>

#include "platform/linux/common/posix_fd.h"

namespace platform::linux_os {

class FileLock {
 public:
  FileLock() = default;
  // Waits until the lock on path is ours; the file is made (0600) when
  // absent and never reached through a link. Not held when it could not be
  // opened or locked: error() says why.
  static FileLock take(const std::string& path);

  bool held() const { return fd_.valid(); }
  // 0, or the error number of the step that failed.
  int error() const { return error_; }

 private:
  UniqueFd fd_;
  int error_ = 0;
};

}  // namespace platform::linux_os
