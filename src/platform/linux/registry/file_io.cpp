#include "platform/linux/registry/file_io.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform::linux_os {

namespace {

struct Fd {
  int fd = -1;
  explicit Fd(int f) : fd(f) {}
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int release() {
    int f = fd;
    fd = -1;
    return f;
  }
};

std::string folderOf(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool writeAll(int fd, std::string_view content) {
  while (!content.empty()) {
    ssize_t n = ::write(fd, content.data(), content.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    content.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool syncFolder(const std::string& folder) {
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return dir.fd >= 0 && ::fsync(dir.fd) == 0;
}

}  // namespace

ReadStatus readWholeFile(const std::string& path, std::size_t maxSize, std::string& out) {
  out.clear();
  Fd file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (file.fd < 0)
    return errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing : ReadStatus::Failed;
  struct stat st {};
  if (::fstat(file.fd, &st) != 0) return ReadStatus::Failed;
  if (!S_ISREG(st.st_mode)) return ReadStatus::NotRegular;
  if (static_cast<unsigned long long>(st.st_size) > maxSize) return ReadStatus::TooLarge;
  out.resize(static_cast<std::size_t>(st.st_size));
  std::size_t done = 0;
  for (;;) {
    if (done == out.size()) out.resize(done + 4096);  // the file may have grown
    ssize_t n = ::read(file.fd, out.data() + done, out.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return ReadStatus::Failed;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
    if (done > maxSize) return ReadStatus::TooLarge;
  }
  out.resize(done);
  return ReadStatus::Ok;
}

std::string atomicTempPrefix(const std::string& path) {
  return path + ".tmp-";
}

bool writeFileAtomically(const std::string& path, std::string_view content, mode_t mode) {
  std::string temp = atomicTempPrefix(path) + "XXXXXX";
  Fd file(::mkostemp(temp.data(), O_CLOEXEC));
  if (file.fd < 0) return false;
  bool ok = ::fchmod(file.fd, mode) == 0 && writeAll(file.fd, content) && ::fsync(file.fd) == 0;
  ok = ::close(file.release()) == 0 && ok;
  if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  // The rename is durable only once the folder's entry is on disk.
  return syncFolder(folderOf(path));
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
