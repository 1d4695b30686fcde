#include "platform/linux/registry/hive_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <memory>
#include <vector>

#include "platform/linux/common/posix_fd.h"
#include "platform/linux/common/posix_files.h"
#include "platform/linux/common/xdg_paths.h"
#include "platform/linux/registry/file_io.h"
#include "platform/linux/registry/hive_aside.h"

namespace platform::linux_os {

namespace {

// Hands the file to `reader` in pieces, so that the whole file is never held.
// Never blocks on a FIFO.
ReadStatus readInPieces(const std::string& path, RegFileReader& reader) {
  UniqueFd file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  int fd = file.get();
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing : ReadStatus::Failed;
  struct stat st {};
  if (::fstat(fd, &st) != 0) return ReadStatus::Failed;
  if (!S_ISREG(st.st_mode)) return ReadStatus::NotRegular;
  if (static_cast<unsigned long long>(st.st_size) > kMaxHiveFile) return ReadStatus::TooLarge;
  std::vector<char> piece(64u << 10);
  std::size_t total = 0;
  for (;;) {
    ssize_t n = ::read(fd, piece.data(), piece.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return ReadStatus::Failed;
    if (n == 0) return ReadStatus::Ok;
    total += static_cast<std::size_t>(n);
    if (total > kMaxHiveFile) return ReadStatus::TooLarge;  // it grew while read
    reader.feed({piece.data(), static_cast<std::size_t>(n)});
  }
}

}  // namespace

std::string HiveFile::defaultPath() {
  return xdgConfigHome() + "/tracesweep/registry.reg";
}

// A write cut short by a crash leaves only its temporary file; the hive
// itself is whole, so the leftover can go. Those written after the lock was
// taken (by an earlier version that took none) are left.
void HiveFile::removeStaleTemporaries() const {
  const std::string prefix = platform::fileNameOf(atomicTempPrefix(path_));
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  linux_os::removeStaleTemporaries(
      folderOf(path_),
      [&prefix](std::string_view name) {
        return name.size() == prefix.size() + 6 && name.starts_with(prefix);
      },
      now);
}

std::string HiveFile::setAsideName() const {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  return path_ + ".bad-" + stamp;
}

HiveLoad HiveFile::load() const {
  HiveLoad result;
  RegFileReader reader;
  switch (readInPieces(path_, reader)) {
    case ReadStatus::Missing:
      return result;
    case ReadStatus::Ok: {
      RegParseResult parsed = reader.finish();
      result.keys = std::move(parsed.keys);
      if (!parsed.damaged()) return result;
      result.problems = std::move(parsed.problems);
      break;
    }
    case ReadStatus::NotRegular:
      result.problems.push_back("not a regular file");
      break;
    case ReadStatus::TooLarge:
      result.problems.push_back("larger than the hive limit");
      break;
    case ReadStatus::Failed:
      result.problems.push_back("cannot be read");
      break;
  }
  repair(result);
  return result;
}

// The damaged file first gets a second name, then what was read from it
// replaces it atomically: a stop before the replacement leaves the damaged
// file where it was (and the next start mends it again), a stop after leaves
// the mended one. A file nothing could be read from may simply be renamed
// aside: the missing hive it leaves holds what it held.
void HiveFile::repair(HiveLoad& load) const {
  std::string target = setAsideName();
  load.setAside = linkAside(path_, target);
  if (load.setAside.empty() && !load.keys.empty())
    load.setAside = copyAside(path_, target, kMaxHiveFile);
  if (!load.setAside.empty()) {
    if (onRepairStep) onRepairStep(RepairStep::KeptAside);
    if (save(load.keys)) {
      if (onRepairStep) onRepairStep(RepairStep::Written);
      return;
    }
    ::unlink(load.setAside.c_str());  // the damaged file is still in place
    load.setAside.clear();
  }
  if (load.keys.empty()) load.setAside = renameAside(path_, target);
  load.writable = !load.setAside.empty();
}

bool HiveFile::save(const RegKeys& keys) const {
  return ensureFolder(folderOf(path_), 0700) &&
         writeFileAtomically(path_, formatRegFile(keys), 0600);
}

}  // namespace platform::linux_os
