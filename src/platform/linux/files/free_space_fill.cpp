#include "platform/linux/files/free_space_fill.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <memory>
#include <thread>
#include <vector>

#include "platform/free_space_passes.h"
#include "platform/linux/files/free_space_extents.h"
#include "platform/linux/files/free_space_survey.h"

namespace platform::linux_os {

namespace {

constexpr std::size_t kChunk = 8u << 20;           // one write, at the disk's pace
constexpr std::int64_t kFlushEvery = 256ll << 20;  // dirty data kept low as the fill goes
constexpr int kFileMode = 0600;
constexpr int kOwnFiles = 64;  // descriptors left for the rest of the program
// The space given back and written again beyond what the file system kept
// back: the new file's own block map comes out of it too.
constexpr std::int64_t kRewriteMargin = 8ll << 20;
constexpr int kMostRewrites = 3;

struct AlignedBuffer {
  explicit AlignedBuffer(std::size_t bytes) : size(bytes) {
    void* memory = nullptr;
    if (posix_memalign(&memory, 4096, size) == 0) data = static_cast<unsigned char*>(memory);
    if (data) std::memset(data, 0x01, size);  // the engine's pattern
  }
  ~AlignedBuffer() { std::free(data); }
  AlignedBuffer(const AlignedBuffer&) = delete;
  AlignedBuffer& operator=(const AlignedBuffer&) = delete;
  unsigned char* data = nullptr;
  std::size_t size;
};

// A file in folder that has no name. Where the file system cannot make one
// (FAT, some network file systems), a name is made and removed at once, so
// it exists for a moment only.
UniqueFd namelessFile(int folder, bool direct) {
  const int flags = O_WRONLY | O_CLOEXEC | (direct ? O_DIRECT : 0);
  UniqueFd fd(openat(folder, ".", O_TMPFILE | flags, kFileMode));
  if (fd.valid() || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return fd;
  if (direct && errno == EINVAL) return namelessFile(folder, false);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name =
        ".tracesweep-free-space-" + std::to_string(getpid()) + "-" + std::to_string(std::rand());
    UniqueFd named(openat(folder, name.c_str(), O_CREAT | O_EXCL | O_NOFOLLOW | flags, kFileMode));
    if (!named.valid() && errno == EEXIST) continue;
    if (named.valid()) unlinkat(folder, name.c_str(), 0);
    return named;
  }
  return UniqueFd();
}

// Space the fill may still take, in bytes: the kernel stops an ordinary
// user at the reserved blocks, but not root, so the limit is kept here.
std::int64_t roomLeft(int fd, bool includeReserved) {
  struct statvfs vfs {};
  if (fstatvfs(fd, &vfs) != 0) return -1;
  const auto blocks = includeReserved ? vfs.f_bfree : vfs.f_bavail;
  return static_cast<std::int64_t>(blocks) * static_cast<std::int64_t>(vfs.f_frsize);
}

std::string words(int error) {
  if (error == ENOSPC) return "disk full";
  std::string text = std::strerror(error);
  if (!text.empty()) text[0] = static_cast<char>(std::tolower(text[0]));
  return text;
}

// XFS frees closed files in the background: the run ends when the space is
// back (or after two seconds, when someone else took it meanwhile).
void awaitSpaceBack(int folder, std::int64_t freeBefore) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  const std::int64_t enough = freeBefore - freeBefore / 100;
  while (roomLeft(folder, true) < enough && std::chrono::steady_clock::now() < deadline) {
    syncfs(folder);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// The open-file limit, raised as far as the system allows for the inode
// slots, and put back when the fill is given back.
class OpenFileLimit {
 public:
  OpenFileLimit() {
    if (getrlimit(RLIMIT_NOFILE, &old_) != 0) return;
    struct rlimit raised = old_;
    // Root may raise the hard limit too, up to what the kernel allows a process.
    std::ifstream most("/proc/sys/fs/nr_open");
    rlim_t ceiling = 0;
    if (geteuid() == 0 && most >> ceiling && ceiling > raised.rlim_max)
      raised.rlim_max = raised.rlim_cur = ceiling;
    else
      raised.rlim_cur = raised.rlim_max;
    changed_ =
        setrlimit(RLIMIT_NOFILE, &raised) == 0 ||
        (raised.rlim_cur = raised.rlim_max = old_.rlim_max, setrlimit(RLIMIT_NOFILE, &raised) == 0);
  }
  ~OpenFileLimit() {
    if (changed_) setrlimit(RLIMIT_NOFILE, &old_);
  }
  OpenFileLimit(const OpenFileLimit&) = delete;
  OpenFileLimit& operator=(const OpenFileLimit&) = delete;

 private:
  struct rlimit old_ {};
  bool changed_ = false;
};

// One pass: fills the free space and flushes it, holding the files open.
class Fill : public FillPass {
 public:
  Fill(int folder, long blockSize, const AlignedBuffer& buffer, const FreeSpaceOptions& options,
       std::int64_t total, std::int64_t before)
      : folder_(folder),
        blockSize_(std::max<long>(blockSize, 512)),
        buffer_(buffer),
        options_(options),
        total_(total),
        written_(before) {
    // Files deleted a moment ago give their blocks back only once the file
    // system has committed (XFS frees them in the background): commit first.
    syncfs(folder_);
    freeBefore_ = roomLeft(folder_, true);
  }

  bool fill() override { return fillData() && flushData() && reachHeldBack(); }
  // While the data blocks are held, the last pass reaches the inode slots.
  bool finishLast() override {
    fillInodeSlack();
    return flushInodes();
  }
  // The space goes back at once; the run ends only when the file system
  // shows it free again.
  void release() override {
    files_.clear(), slack_.clear();
    limit_.reset();
    awaitSpaceBack(folder_, freeBefore_);
  }

  std::int64_t written() const override { return written_; }
  std::int64_t heldBack() const override { return heldBack_; }
  std::int64_t inodes() const override { return inodes_; }
  std::int64_t inodesNotReached() const override { return inodesNotReached_; }
  bool cancelled() const override { return cancelled_; }
  const std::string& failure() const override { return failure_; }

 private:
  // false when it stopped on an error or a cancel (failure_ / cancelled_).
  bool fillData();
  bool reachHeldBack();
  bool giveBack(std::int64_t bytes, std::vector<DeviceRange>& where, bool& mapped);
  void fillInodeSlack();
  bool flushData();
  bool flushInodes();
  bool cancelRequested() const { return options_.cancel && options_.cancel->load(); }
  bool openNext();

  int folder_;
  long blockSize_;
  const AlignedBuffer& buffer_;
  const FreeSpaceOptions& options_;
  std::int64_t total_;
  std::int64_t written_;
  std::int64_t inodes_ = 0;
  std::int64_t inodesNotReached_ = 0;
  std::int64_t heldBack_ = 0;
  std::int64_t freeBefore_ = 0;
  std::vector<UniqueFd> files_;  // the data of the fill
  std::vector<UniqueFd> slack_;  // empty nameless files holding inode slots
  std::unique_ptr<OpenFileLimit> limit_;
  bool direct_ = true;
  bool cancelled_ = false;
  std::string failure_;
};

bool Fill::openNext() {
  UniqueFd file = namelessFile(folder_, direct_);
  if (!file.valid()) {
    failure_ = "a file for the fill cannot be made: " + words(errno);
    return false;
  }
  direct_ = (fcntl(file.get(), F_GETFL) & O_DIRECT) != 0;
  files_.push_back(std::move(file));
  return true;
}

bool Fill::fillData() {
  const AlignedBuffer& buffer = buffer_;
  if (!openNext()) return false;
  std::size_t size = buffer.size;
  std::int64_t room = roomLeft(folder_, options_.includeReserved);
  std::int64_t sinceCheck = 0, sinceFlush = 0;
  while (size >= static_cast<std::size_t>(blockSize_)) {
    if (cancelRequested()) return !(cancelled_ = true);
    if (sinceCheck >= static_cast<std::int64_t>(64u << 20)) {
      room = roomLeft(folder_, options_.includeReserved);
      sinceCheck = 0;
    }
    // Never past the room left: as root that keeps the reserved blocks free.
    const std::int64_t allowed = (room - sinceCheck) / blockSize_ * blockSize_;
    if (allowed <= 0) break;
    const std::size_t now = std::min<std::size_t>(size, static_cast<std::size_t>(allowed));
    const int fd = files_.back().get();
    const ssize_t done = write(fd, buffer.data, now);
    if (done < 0 && errno == EINTR) continue;
    if (done < 0 && errno == EINVAL && direct_) {
      // The file system takes no direct writes of this shape: the page cache it is.
      direct_ = false;
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_DIRECT);
      continue;
    }
    if (done < 0 && errno == EFBIG) {
      if (!openNext()) return false;  // a file size limit (FAT): the next file goes on
      continue;
    }
    if (done < 0 && errno == EDQUOT) {
      // The drive is not full: the rest of its free space was not reached.
      failure_ = "the disk quota was reached before the drive was full";
      return false;
    }
    if (done == 0 || (done < 0 && errno == ENOSPC)) {
      size = size / 2 / static_cast<std::size_t>(blockSize_) * static_cast<std::size_t>(blockSize_);
      continue;  // the last free blocks, in smaller writes
    }
    if (done < 0) {
      failure_ = words(errno);
      return false;
    }
    written_ += done, sinceCheck += done, sinceFlush += done;
    if (options_.progress) options_.progress(written_, total_);
    if (!direct_ && sinceFlush >= kFlushEvery) {
      fdatasync(fd);  // keeps the page cache from holding minutes of writes
      sinceFlush = 0;
    }
  }
  heldBack_ = std::max<std::int64_t>(roomLeft(folder_, true), 0);
  return true;
}

// A full drive keeps some of its free space back from every file: ext4's
// reserve, the administrator's, blocks set aside for files being written
// (ext4's preallocations, which hold just the blocks of small files deleted a
// moment ago). Those blocks may hold old data, and no write reaches them while
// they are free. So once the fill is on the disk, the end of it is given back
// and at once written again: a file system with a journal does not reuse
// blocks given back before its next commit, so the new writes must take the
// blocks that were kept back (ext4 drops its preallocations to find them),
// and what is free in the end is the fill's own pattern. Where the file
// system says where data lies (FIEMAP), the blocks reached are counted and
// a round is repeated when a commit came in between; elsewhere what was kept
// back is reported as not reached.
bool Fill::reachHeldBack() {
  for (int round = 0; round < kMostRewrites && heldBack_ > 0; ++round) {
    const std::int64_t keptBack = heldBack_;
    std::vector<DeviceRange> givenBack;
    bool mapped = true;
    if (!giveBack(keptBack + kRewriteMargin, givenBack, mapped)) return true;
    const std::size_t firstNew = files_.size();
    if (!fillData() || !flushData()) return false;
    std::vector<DeviceRange> rewritten;
    for (std::size_t i = firstNew; i < files_.size() && mapped; ++i) {
      const off_t size = lseek(files_[i].get(), 0, SEEK_END);
      mapped = size >= 0 && mapFileRange(files_[i].get(), 0, std::uint64_t(size), rewritten);
    }
    if (!mapped) {
      heldBack_ = keptBack;  // most likely reached, but nothing shows it
      return true;
    }
    const auto reached = static_cast<std::int64_t>(bytesOutside(rewritten, givenBack));
    heldBack_ = std::max<std::int64_t>(keptBack - reached, 0);
    if (reached == 0) return true;
  }
  return true;
}

// Cuts bytes off the end of the fill's files, last file first, once their
// data is on the disk; where records where those bytes lay (mapped false
// where the file system does not say). False when nothing could be given back.
bool Fill::giveBack(std::int64_t bytes, std::vector<DeviceRange>& where, bool& mapped) {
  bytes = (bytes + blockSize_ - 1) / blockSize_ * blockSize_;
  std::int64_t given = 0;
  for (auto file = files_.rbegin(); file != files_.rend() && given < bytes; ++file) {
    const off_t size = lseek(file->get(), 0, SEEK_END);
    if (size <= 0) continue;
    const off_t keep = std::max<off_t>(size - (bytes - given), 0);
    mapped = mapped && mapFileRange(file->get(), std::uint64_t(keep), std::uint64_t(size), where);
    if (ftruncate(file->get(), keep) != 0) break;
    given += size - keep;
  }
  total_ += given;
  return given > 0;
}

// Nameless files with no data take free inode slots, and the kernel writes
// each slot anew: what the old inodes held (sizes, times, block maps) goes.
// As many as the system lets the program hold open; the slots left over are
// counted.
void Fill::fillInodeSlack() {
  limit_ = std::make_unique<OpenFileLimit>();
  struct rlimit limit {};
  std::int64_t budget = std::numeric_limits<std::int64_t>::max();
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
    budget = std::int64_t(limit.rlim_cur) - kOwnFiles - std::int64_t(files_.size());
  // Counted only when the open-file limit (or a cancel) stopped it: where the
  // slots ran out nothing is left, and where nameless files cannot be made
  // the slots are not this kind's to fill.
  bool limited = true;
  for (std::int64_t i = 0; i < budget; ++i) {
    if (cancelRequested()) break;
    UniqueFd file(openat(folder_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, kFileMode));
    if (!file.valid()) {
      limited = errno == EMFILE || errno == ENFILE;
      break;
    }
    slack_.push_back(std::move(file));
    ++inodes_;
  }
  struct statvfs vfs {};
  if (limited && fstatvfs(folder_, &vfs) == 0 && vfs.f_files > 0)
    inodesNotReached_ = static_cast<std::int64_t>(vfs.f_ffree);
}

bool Fill::flushData() {
  for (const UniqueFd& file : files_) {
    if (cancelRequested()) return !(cancelled_ = true);
    if (fdatasync(file.get()) != 0 && errno != EINVAL) {
      failure_ = "the fill could not be flushed to the drive: " + words(errno);
      return false;
    }
  }
  return true;
}

bool Fill::flushInodes() {
  // The inode slots and the journal reach the device, in one go.
  if (syncfs(folder_) == 0) return true;
  failure_ = "the fill could not be flushed to the drive: " + words(errno);
  return false;
}

}  // namespace

std::unique_ptr<LinuxFreeSpaceWipe> LinuxFreeSpaceWipe::open(const std::string& folder) {
  std::unique_ptr<LinuxFreeSpaceWipe> wipe(new LinuxFreeSpaceWipe());
  wipe->survey(folder);
  return wipe;
}

void LinuxFreeSpaceWipe::survey(const std::string& folder) {
  SurveyedDrive surveyed = surveyDrive(folder);
  folder_ = std::move(surveyed.folder);
  top_ = std::move(surveyed.top);
  blockSize_ = surveyed.blockSize;
  drive_ = std::move(surveyed.drive);
}

FreeSpaceResult LinuxFreeSpaceWipe::run(const FreeSpaceOptions& options) {
  FreeSpaceResult result;
  if (!drive_.refusal.empty()) {
    result.failure = drive_.refusal;
    return result;
  }
  AlignedBuffer buffer(kChunk);
  if (!buffer.data) {
    result.failure = "no memory for the fill";
    return result;
  }
  const std::int64_t room = roomLeft(folder_.get(), options.includeReserved);
  const std::int64_t total = std::max<std::int64_t>(room, 0) * std::max(1, options.passes);
  runFillPasses(
      options.passes,
      [&](std::int64_t before) {
        return std::make_unique<Fill>(folder_.get(), blockSize_, buffer, options, total, before);
      },
      result);
  return result;
}

double LinuxFreeSpaceWipe::measureSpeed() {
  if (!drive_.refusal.empty()) return 0;
  AlignedBuffer buffer(kChunk);
  if (!buffer.data) return 0;
  UniqueFd file = namelessFile(folder_.get(), true);
  if (!file.valid()) return 0;
  // Nameless, given back at once, written only into free space.
  return measureWriteSpeed(
      drive_.freeBytes, static_cast<std::int64_t>(buffer.size),
      [&] { return static_cast<std::int64_t>(write(file.get(), buffer.data, buffer.size)); },
      [&] { fdatasync(file.get()); });
}

}  // namespace platform::linux_os
