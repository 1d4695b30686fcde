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
#include <thread>
#include <vector>

#include "platform/free_space_passes.h"
#include "platform/linux/files/free_space_survey.h"

namespace platform::linux_os {

namespace {

constexpr std::size_t kChunk = 8u << 20;           // one write, at the disk's pace
constexpr std::int64_t kFlushEvery = 256ll << 20;  // dirty data kept low as the fill goes
constexpr std::int64_t kMostSlackFiles = 65536;    // nameless files held for inode slack
constexpr int kFileMode = 0600;

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

  bool fill() override { return fillData(buffer_) && flushData(); }
  // While the data blocks are held, the last pass reaches the inode slots.
  bool finishLast() override {
    fillInodeSlack();
    return flushInodes();
  }
  // The space goes back at once; the run ends only when the file system
  // shows it free again.
  void release() override {
    files_.clear(), slack_.clear();
    awaitSpaceBack(folder_, freeBefore_);
  }

  std::int64_t written() const override { return written_; }
  std::int64_t heldBack() const override { return heldBack_; }
  std::int64_t inodes() const override { return inodes_; }
  bool cancelled() const override { return cancelled_; }
  const std::string& failure() const override { return failure_; }

 private:
  // false when it stopped on an error or a cancel (failure_ / cancelled_).
  bool fillData(const AlignedBuffer& buffer);
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
  std::int64_t heldBack_ = 0;
  std::int64_t freeBefore_ = 0;
  std::vector<UniqueFd> files_;  // the data of the fill
  std::vector<UniqueFd> slack_;  // empty nameless files holding inode slots
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

bool Fill::fillData(const AlignedBuffer& buffer) {
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

// Nameless files with no data take free inode slots, and the kernel writes
// each slot anew: what the old inodes held (sizes, times, block maps) goes.
void Fill::fillInodeSlack() {
  struct rlimit limit {};
  std::int64_t budget = kMostSlackFiles;
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0) {
    if (limit.rlim_cur < limit.rlim_max && limit.rlim_cur < rlim_t(kMostSlackFiles) + 64) {
      limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, rlim_t(kMostSlackFiles) + 64);
      setrlimit(RLIMIT_NOFILE, &limit);
      getrlimit(RLIMIT_NOFILE, &limit);
    }
    budget = std::min<std::int64_t>(
        budget, std::int64_t(limit.rlim_cur) - 64 - std::int64_t(files_.size()));
  }
  for (std::int64_t i = 0; i < budget && !cancelRequested(); ++i) {
    UniqueFd file(openat(folder_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, kFileMode));
    if (!file.valid()) break;  // no free inode left, or no nameless files here
    slack_.push_back(std::move(file));
    ++inodes_;
  }
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
