// A limit on the size of the files this process writes (RLIMIT_FSIZE) for the
// life of the guard: a write that crosses it is cut short and the next fails
// with EFBIG, as writes fail on a full disk, without a mount or root.
#pragma once

#include <sys/resource.h>

#include <csignal>
#include <cstddef>

namespace testsupport {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(std::size_t bytes) {
    // Crossing the limit raises SIGXFSZ, which would end the test program.
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit old_{};
  void (*oldHandler_)(int) = SIG_DFL;
};

}  // namespace testsupport
