#include "platform/linux/system/run_log_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "platform/linux/common/posix_fd.h"
#include "platform/linux/common/posix_files.h"
#include "platform/linux/common/xdg_paths.h"

namespace platform::linux_os {

RunLogFile::RunLogFile(std::string folder, std::int64_t rotateAt)
    : folder_(std::move(folder)), rotateAt_(rotateAt) {}

std::string RunLogFile::path() const {
  std::string folder = folder_.empty() ? xdgStateHome() + "/tracesweep" : folder_;
  return folder + "/clear.log";
}

LogAddition RunLogFile::add(const std::string& report) {
  const std::string log = path();
  auto failed = [&](const char* step) {
    return LogAddition{std::string(step) + " " + log + ": " + errorWords(errno)};
  };
  if (!ensureFolder(folderOf(log))) return failed("could not make the folder of");
  struct stat st {};
  if (lstat(log.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= rotateAt_) {
    // clear.log.3 goes, every other file moves one up, clear.log starts anew.
    for (int i = kKeptFiles - 1; i >= 1; --i)
      std::rename((log + "." + std::to_string(i)).c_str(),
                  (log + "." + std::to_string(i + 1)).c_str());
    std::rename(log.c_str(), (log + ".1").c_str());
  }
  UniqueFd fd(open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!fd.valid()) return failed("could not open");
  // Appended under a lock, so that two copies' entries never interleave and
  // the length before this entry is still the end when it is cut back.
  if (flock(fd.get(), LOCK_EX) != 0) return failed("could not lock");
  struct stat before {};
  if (fstat(fd.get(), &before) != 0) return failed("could not read");
  const std::string entry = report.empty() || report.back() == '\n' ? report : report + "\n";
  // A short write (a full disk) would leave half an entry for the next one
  // to be glued to: the entry is written whole or not at all.
  if (!writeAll(fd.get(), entry) || fdatasync(fd.get()) != 0) {
    const LogAddition failure = failed("could not write to");
    if (ftruncate(fd.get(), before.st_size) == 0) fdatasync(fd.get());
    return failure;
  }
  return {};
}

}  // namespace platform::linux_os
