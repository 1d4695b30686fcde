#include "platform/linux/registry/file_io.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/common/posix_fd.h"

namespace platform::linux_os {

ReadStatus readWholeFile(const std::string& path, std::size_t maxSize, std::string& out) {
  out.clear();
  UniqueFd file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (!file.valid())
    return errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing : ReadStatus::Failed;
  struct stat st {};
  if (::fstat(file.get(), &st) != 0) return ReadStatus::Failed;
  if (!S_ISREG(st.st_mode)) return ReadStatus::NotRegular;
  if (static_cast<unsigned long long>(st.st_size) > maxSize) return ReadStatus::TooLarge;
  out.resize(static_cast<std::size_t>(st.st_size));
  std::size_t done = 0;
  for (;;) {
    if (done == out.size()) out.resize(done + 4096);  // the file may have grown
    ssize_t n = ::read(file.get(), out.data() + done, out.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return ReadStatus::Failed;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
    if (done > maxSize) return ReadStatus::TooLarge;
  }
  out.resize(done);
  return ReadStatus::Ok;
}

std::string renameAside(const std::string& path, const std::string& target) {
  for (int attempt = 1; attempt < 100; ++attempt) {
    std::string name = attempt == 1 ? target : target + "-" + std::to_string(attempt);
    int result = ::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE);
    if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
      // A file system without RENAME_NOREPLACE: look first, then rename.
      struct stat st {};
      if (::lstat(name.c_str(), &st) == 0) continue;
      result = ::rename(path.c_str(), name.c_str());
    }
    if (result == 0) {
      syncFolder(folderOf(path));
      return name;
    }
    if (errno != EEXIST) return "";
  }
  return "";
}

}  // namespace platform::linux_os
