#include "platform/linux/registry/file_io.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/common/posix_fd.h"

namespace platform::linux_os {

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
