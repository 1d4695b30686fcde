#include "platform/linux/history/profile_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>

namespace platform::linux_os::history {

namespace {

std::string errnoText(int code) {
  return std::strerror(code);
}

bool writeAll(int fd, const std::string& content) {
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

FileRead readProfileFile(const std::string& path, std::string& content, std::size_t maxBytes) {
  content.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return errno == ENOENT ? FileRead::Missing : FileRead::Failed;
  struct stat st {};
  FileRead result = FileRead::Read;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      static_cast<std::uint64_t>(st.st_size) > maxBytes) {
    result = FileRead::Failed;
  } else {
    content.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 || content.size() + static_cast<std::size_t>(n) > maxBytes) {
        result = FileRead::Failed;
        break;
      }
      if (n == 0) break;
      content.append(buffer, static_cast<std::size_t>(n));
    }
  }
  ::close(fd);
  if (result != FileRead::Read) content.clear();
  return result;
}

bool replaceProfileFile(const std::string& path, const std::string& content, std::string& error) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    error = path + " is not a regular file";
    return false;
  }
  std::random_device random;
  const std::string temp = path + ".tracesweep-" + std::to_string(random());
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        st.st_mode & 07777);
  if (fd < 0) {
    error = "cannot write beside " + path + ": " + errnoText(errno);
    return false;
  }
  bool ok = writeAll(fd, content) && ::fsync(fd) == 0;
  const int code = errno;
  ok = ::close(fd) == 0 && ok;
  if (ok && ::rename(temp.c_str(), path.c_str()) == 0) return true;
  error = "cannot write " + path + ": " + errnoText(ok ? errno : code);
  ::unlink(temp.c_str());
  return false;
}

bool removeProfileFile(const std::string& path, std::string& error) {
  if (::unlink(path.c_str()) == 0 || errno == ENOENT) return true;
  error = "cannot remove " + path + ": " + errnoText(errno);
  return false;
}

std::vector<std::string> filesIn(const std::string& folder) {
  std::vector<std::string> names;
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return names;
  DIR* dir = fdopendir(fd);
  if (!dir) {
    ::close(fd);
    return names;
  }
  while (const dirent* e = readdir(dir)) {
    struct stat st {};
    if (fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
      names.emplace_back(e->d_name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

bool holdsText(const std::string& bytes, const std::string& text) {
  if (text.empty()) return false;
  if (bytes.find(text) != std::string::npos) return true;
  std::string wide;
  wide.reserve(text.size() * 2);
  for (char c : text) {
    wide += c;
    wide += '\0';
  }
  return bytes.find(wide) != std::string::npos;
}

}  // namespace platform::linux_os::history
