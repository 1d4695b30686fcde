#include "platform/linux/registry/hive_aside.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <utility>

#include "platform/linux/common/posix_fd.h"
#include "platform/linux/common/posix_files.h"

namespace platform::linux_os {

namespace {

// Tries `target`, `target`-2, -3 ... while the name is taken.
std::string firstFreeName(const std::string& target,
                          const std::function<bool(const std::string&)>& make) {
  for (int attempt = 1; attempt < 100; ++attempt) {
    std::string name = attempt == 1 ? target : target + "-" + std::to_string(attempt);
    if (make(name)) {
      if (syncFolder(folderOf(name))) return name;
      ::unlink(name.c_str());
      return "";
    }
    if (errno != EEXIST) return "";
  }
  return "";
}

bool copyInto(int from, int to, std::size_t maxSize) {
  char buffer[64 * 1024];
  std::size_t total = 0;
  for (;;) {
    ssize_t n = ::read(from, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    total += static_cast<std::size_t>(n);
    if (total > maxSize) return false;
    if (!writeAll(to, std::string_view(buffer, static_cast<std::size_t>(n)))) return false;
  }
}

}  // namespace

std::string linkAside(const std::string& path, const std::string& target) {
  return firstFreeName(
      target, [&](const std::string& name) { return ::link(path.c_str(), name.c_str()) == 0; });
}

std::string copyAside(const std::string& path, const std::string& target, std::size_t maxSize) {
  UniqueFd from(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  struct stat st {};
  if (from.get() < 0 || ::fstat(from.get(), &st) != 0 || !S_ISREG(st.st_mode)) return "";
  return firstFreeName(target, [&](const std::string& name) {
    UniqueFd to(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (to.get() < 0) return false;
    if (copyInto(from.get(), to.get(), maxSize) && ::fsync(to.get()) == 0 &&
        ::close(to.release()) == 0)
      return true;
    ::unlink(name.c_str());
    errno = EIO;  // not a taken name: stop trying
    return false;
  });
}

}  // namespace platform::linux_os
