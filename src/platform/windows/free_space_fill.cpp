#include "platform/windows/free_space_fill.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "platform/free_space_passes.h"
#include "platform/windows/system_text.h"
#include "platform/windows/win32.h"
// clang-format off
#include <winioctl.h>
// clang-format on

namespace platform::windows_os {

namespace {

constexpr std::size_t kChunk = 8u << 20;           // one write, at the disk's pace
constexpr std::int64_t kCheckEvery = 64ll << 20;   // the free space is asked again
constexpr std::int64_t kFlushEvery = 256ll << 20;  // where writes go through the cache

// Sector-aligned memory, as unbuffered writes need it, holding the pattern.
struct AlignedBuffer {
  explicit AlignedBuffer(std::size_t bytes) : size(bytes) {
    data = VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (data) std::memset(data, 0x01, size);  // the engine's pattern
  }
  ~AlignedBuffer() {
    if (data) VirtualFree(data, 0, MEM_RELEASE);
  }
  AlignedBuffer(const AlignedBuffer&) = delete;
  AlignedBuffer& operator=(const AlignedBuffer&) = delete;
  void* data = nullptr;
  std::size_t size;
};

// The bytes the fill may still take: the caller's share (a quota stops the
// user there), or all that is free.
std::int64_t roomLeft(const std::string& folder, bool all) {
  ULARGE_INTEGER available{}, total{}, totalFree{};
  if (!GetDiskFreeSpaceExA(folder.c_str(), &available, &total, &totalFree)) return -1;
  return static_cast<std::int64_t>(all ? totalFree.QuadPart : available.QuadPart);
}

// A quota reached is a full disk too (NTFS says so alike).
bool diskFull(DWORD error) {
  return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
}

std::string words(DWORD error) {
  return diskFull(error) ? "disk full" : systemErrorWords(error);
}

// A compressed folder makes its new files compressed, and the pattern would
// shrink to nothing: the fill's files are made plain.
bool makeUncompressed(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file, &info) ||
      !(info.dwFileAttributes & FILE_ATTRIBUTE_COMPRESSED))
    return true;
  USHORT format = COMPRESSION_FORMAT_NONE;
  DWORD returned = 0;
  return DeviceIoControl(file, FSCTL_SET_COMPRESSION, &format, sizeof format, nullptr, 0, &returned,
                         nullptr);
}

// A new file of the fill in folder, which no other program may open and the
// system deletes when its handle closes, however the program ends.
OwnedHandle fillFile(const std::string& folder, bool direct, DWORD& error) {
  static std::atomic<unsigned> next{0};
  const DWORD flags = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE |
                      FILE_FLAG_WRITE_THROUGH | (direct ? FILE_FLAG_NO_BUFFERING : 0);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = kFillFilePrefix + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(next++) + kFillFileSuffix;
    OwnedHandle file(CreateFileA(pathInFolder(folder, name).c_str(),
                                 GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                 flags, nullptr));
    if (file.valid()) {
      if (makeUncompressed(file.get())) return file;
      error = GetLastError();
      return {};
    }
    error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  return {};
}

// One pass: fills the free space and flushes it, holding the files open.
class Fill : public FillPass {
 public:
  Fill(const SurveyedVolume& volume, const AlignedBuffer& buffer, const FreeSpaceOptions& options,
       std::int64_t total, std::int64_t before)
      : volume_(volume), buffer_(buffer), options_(options), total_(total), written_(before) {}

  bool fill() override { return fillData(buffer_) && flushData(); }
  void release() override { files_.clear(); }  // the system deletes them: the space is back

  std::int64_t written() const override { return written_; }
  std::int64_t heldBack() const override { return heldBack_; }
  bool cancelled() const override { return cancelled_; }
  const std::string& failure() const override { return failure_; }

 private:
  // false when it stopped on an error or a cancel (failure_ / cancelled_).
  bool fillData(const AlignedBuffer& buffer);
  bool flushData();
  bool cancelRequested() const { return options_.cancel && options_.cancel->load(); }
  bool openNext();

  const SurveyedVolume& volume_;
  const AlignedBuffer& buffer_;
  const FreeSpaceOptions& options_;
  std::int64_t total_;
  std::int64_t written_;
  std::int64_t inFile_ = 0;  // bytes in the file being written
  std::int64_t heldBack_ = 0;
  std::vector<OwnedHandle> files_;
  bool direct_ = true;
  bool cancelled_ = false;
  std::string failure_;
};

bool Fill::openNext() {
  DWORD error = 0;
  OwnedHandle file = fillFile(volume_.folderPath, direct_, error);
  if (!file.valid()) {
    failure_ = "a file for the fill cannot be made in " + volume_.folderPath + ": " + words(error);
    return false;
  }
  files_.push_back(std::move(file));
  inFile_ = 0;
  return true;
}

bool Fill::fillData(const AlignedBuffer& buffer) {
  if (!openNext()) return false;
  const std::int64_t sector = volume_.sectorSize;
  std::int64_t size = static_cast<std::int64_t>(buffer.size);
  std::int64_t room = roomLeft(volume_.folderPath, options_.includeReserved);
  std::int64_t sinceCheck = 0, sinceFlush = 0;
  while (size >= sector) {
    if (cancelRequested()) return !(cancelled_ = true);
    if (sinceCheck >= kCheckEvery) {
      room = roomLeft(volume_.folderPath, options_.includeReserved);
      sinceCheck = 0;
    }
    // Never past the room left, nor past the largest file the drive takes.
    const std::int64_t allowed = (room - sinceCheck) / sector * sector;
    if (allowed <= 0) break;
    if (volume_.largestFile - inFile_ < sector) {
      if (!openNext()) return false;
      continue;
    }
    const std::int64_t fileRoom = (volume_.largestFile - inFile_) / sector * sector;
    const auto now = static_cast<DWORD>(std::min({size, allowed, fileRoom}));
    HANDLE file = files_.back().get();
    DWORD done = 0;
    if (!WriteFile(file, buffer.data, now, &done, nullptr)) {
      const DWORD error = GetLastError();
      if (error == ERROR_INVALID_PARAMETER && direct_) {
        // The drive takes no unbuffered writes of this shape: the cache it is.
        direct_ = false;
        if (!openNext()) return false;
        continue;
      }
      if (error == ERROR_FILE_TOO_LARGE && inFile_ > 0) {
        if (!openNext()) return false;  // a file size limit: the next file goes on
        continue;
      }
      if (!diskFull(error)) {
        failure_ = words(error);
        return false;
      }
    }
    if (done == 0) {
      size = size / 2 / sector * sector;  // the last free clusters, in smaller writes
      continue;
    }
    written_ += done, inFile_ += done, sinceCheck += done, sinceFlush += done;
    if (options_.progress) options_.progress(written_, total_);
    if (!direct_ && sinceFlush >= kFlushEvery) {
      FlushFileBuffers(file);  // keeps the cache from holding minutes of writes
      sinceFlush = 0;
    }
  }
  heldBack_ = std::max<std::int64_t>(roomLeft(volume_.folderPath, true), 0);
  return true;
}

bool Fill::flushData() {
  for (const OwnedHandle& file : files_) {
    if (cancelRequested()) return !(cancelled_ = true);
    if (!FlushFileBuffers(file.get())) {
      failure_ = "the fill could not be flushed to the drive: " + words(GetLastError());
      return false;
    }
  }
  return true;
}

}  // namespace

std::unique_ptr<WindowsFreeSpaceWipe> WindowsFreeSpaceWipe::open(const std::string& folder) {
  return std::unique_ptr<WindowsFreeSpaceWipe>(new WindowsFreeSpaceWipe(surveyVolume(folder)));
}

FreeSpaceResult WindowsFreeSpaceWipe::run(const FreeSpaceOptions& options) {
  FreeSpaceResult result;
  if (!volume_.drive.refusal.empty()) {
    result.failure = volume_.drive.refusal;
    return result;
  }
  AlignedBuffer buffer(kChunk);
  if (!buffer.data) {
    result.failure = "no memory for the fill";
    return result;
  }
  const std::int64_t room = roomLeft(volume_.folderPath, options.includeReserved);
  const std::int64_t total = std::max<std::int64_t>(room, 0) * std::max(1, options.passes);
  runFillPasses(
      options.passes,
      [&](std::int64_t before) {
        return std::make_unique<Fill>(volume_, buffer, options, total, before);
      },
      result);
  return result;
}

double WindowsFreeSpaceWipe::measureSpeed() {
  if (!volume_.drive.refusal.empty()) return 0;
  AlignedBuffer buffer(kChunk);
  if (!buffer.data) return 0;
  DWORD error = 0;
  OwnedHandle file = fillFile(volume_.folderPath, true, error);
  if (!file.valid()) return 0;
  return measureWriteSpeed(
      volume_.drive.freeBytes, static_cast<std::int64_t>(buffer.size),
      [&]() -> std::int64_t {
        DWORD done = 0;
        if (!WriteFile(file.get(), buffer.data, static_cast<DWORD>(buffer.size), &done, nullptr))
          return 0;
        return done;
      },
      [&] { FlushFileBuffers(file.get()); });
}

}  // namespace platform::windows_os
