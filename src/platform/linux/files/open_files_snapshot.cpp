#include "platform/linux/files/open_files_snapshot.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/linux/common/posix_fd.h"
#include "platform/linux/common/posix_files.h"

namespace platform::linux_os {

namespace {

bool isNumber(const char* text) {
  if (*text == '\0') return false;
  for (; *text != '\0'; ++text)
    if (!std::isdigit(static_cast<unsigned char>(*text))) return false;
  return true;
}

}  // namespace

OpenFilesSnapshot OpenFilesSnapshot::take() {
  OpenFilesSnapshot snapshot;
  UniqueFd procFd(open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!procFd.valid()) return snapshot;
  DIR* proc = fdopendir(fcntl(procFd.get(), F_DUPFD_CLOEXEC, 0));
  if (proc == nullptr) return snapshot;
  const std::string self = std::to_string(getpid());
  while (dirent* entry = readdir(proc)) {
    if (!isNumber(entry->d_name) || self == entry->d_name) continue;
    snapshot.addDescriptors(procFd.get(), entry->d_name);
    snapshot.addMaps(procFd.get(), entry->d_name);
  }
  closedir(proc);
  return snapshot;
}

bool OpenFilesSnapshot::contains(dev_t dev, ino_t ino) const {
  return files_.count({static_cast<std::uint64_t>(dev), static_cast<std::uint64_t>(ino)}) != 0;
}

void OpenFilesSnapshot::add(dev_t dev, ino_t ino) {
  files_.insert({static_cast<std::uint64_t>(dev), static_cast<std::uint64_t>(ino)});
}

void OpenFilesSnapshot::addDescriptors(int procFd, const char* pid) {
  const std::string path = std::string(pid) + "/fd";
  const FolderListing dir =
      listingOf(UniqueFd(openat(procFd, path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
  if (!dir) return;  // gone, or another user's process
  while (dirent* entry = readdir(dir.get())) {
    if (!isNumber(entry->d_name)) continue;
    struct stat st {};
    // Following the descriptor's link reaches the open file itself.
    if (fstatat(dirfd(dir.get()), entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode))
      add(st.st_dev, st.st_ino);
  }
}

// Maps outlive the descriptor they were made from, so they count too.
void OpenFilesSnapshot::addMaps(int procFd, const char* pid) {
  const std::string path = std::string(pid) + "/maps";
  UniqueFd fd(openat(procFd, path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) return;
  FILE* maps = fdopen(fd.get(), "r");
  if (maps == nullptr) return;
  fd.release();  // the stream owns it now
  char line[4096];
  while (std::fgets(line, sizeof line, maps) != nullptr) {
    unsigned major = 0, minor = 0;
    unsigned long long inode = 0;
    // address perms offset major:minor inode [path]
    if (std::sscanf(line, "%*s %*s %*s %x:%x %llu", &major, &minor, &inode) == 3 && inode != 0)
      add(makedev(major, minor), static_cast<ino_t>(inode));
    // A line longer than the buffer continues on the next read; skip its rest.
    while (std::strchr(line, '\n') == nullptr && std::fgets(line, sizeof line, maps) != nullptr) {
    }
  }
  std::fclose(maps);
}

}  // namespace platform::linux_os
