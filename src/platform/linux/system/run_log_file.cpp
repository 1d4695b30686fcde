#include "platform/linux/system/run_log_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "platform/linux/common/xdg_paths.h"

namespace platform::linux_os {

namespace {

bool writeAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

RunLogFile::RunLogFile(std::string folder, std::int64_t rotateAt)
    : folder_(std::move(folder)), rotateAt_(rotateAt) {}

std::string RunLogFile::path() const {
  std::string folder = folder_.empty() ? xdgStateHome() + "/tracesweep" : folder_;
  return folder + "/clear.log";
}

bool RunLogFile::add(const std::string& report) {
  const std::string log = path();
  if (!ensureFolder(log.substr(0, log.find_last_of('/')))) return false;
  struct stat st {};
  if (lstat(log.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= rotateAt_) {
    // clear.log.3 goes, every other file moves one up, clear.log starts anew.
    for (int i = kKeptFiles - 1; i >= 1; --i)
      std::rename((log + "." + std::to_string(i)).c_str(),
                  (log + "." + std::to_string(i + 1)).c_str());
    std::rename(log.c_str(), (log + ".1").c_str());
  }
  // One write per report, appended: runs of two copies never interleave.
  int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = writeAll(fd, report.empty() || report.back() == '\n' ? report : report + "\n");
  ok = fsync(fd) == 0 && ok;
  return close(fd) == 0 && ok;
}

}  // namespace platform::linux_os
