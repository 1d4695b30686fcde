// Wiping a drive's free space: the blocks that deleted files left behind are
// filled with the wipe pattern through files that have no name, flushed to
// the device, and given back at once. What the fill can and cannot reach is
// said up front, and a drive where it cannot work is refused before anything
// is written.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// The file system that holds a chosen folder, as a fill of it would meet it.
struct FreeSpaceDrive {
  std::string mountPoint;          // where the file system is mounted
  std::string fileSystem;          // its kind as the user reads it, e.g. "ext4"
  std::int64_t freeBytes = 0;      // what a fill writes (reserved blocks excluded)
  std::int64_t reservedBytes = 0;  // blocks kept back for the administrator
  std::int64_t totalBytes = 0;
  // Non-empty: why the free space of this drive cannot be wiped; nothing
  // will be written.
  std::string refusal;
  // What the user should know before and after: what is not reached, a flash
  // controller that may keep copies.
  std::vector<std::string> notes;
};

struct FreeSpaceOptions {
  int passes = 1;
  // The administrator's reserved blocks too (only root can fill them, and a
  // full root file system stops services: never without being asked).
  bool includeReserved = false;
  // Called after every write from the thread that runs the fill.
  std::function<void(std::int64_t written, std::int64_t total)> progress;
  const std::atomic<bool>* cancel = nullptr;  // checked before every write
};

struct FreeSpaceResult {
  std::int64_t bytesWritten = 0;  // over all passes
  int passesDone = 0;
  std::int64_t inodesReached = 0;  // free inode slots overwritten by nameless files
  // Free inode slots left when no more files could be held open (the
  // system's limit on open files, or a cancel); 0 where every slot was taken.
  std::int64_t inodesNotReached = 0;
  // Space the file system kept back from the fill at a full drive (its own
  // reserve and, unless asked, the administrator's) whose blocks the fill
  // could not show it reached: the fill writes that space through blocks it
  // gives back and takes again, and counts what it reached where the system
  // says where files lie.
  std::int64_t bytesHeldBack = 0;
  double fillSeconds = 0;  // writing and flushing the data, inode slots apart
  bool cancelled = false;
  std::string failure;  // non-empty: the fill stopped on an error, in plain words
  bool ok() const { return failure.empty() && !cancelled; }
};

// One chosen drive, held from the moment it was chosen: the folder is opened
// once and the fill goes through what was opened.
class FreeSpaceWipe {
 public:
  virtual ~FreeSpaceWipe() = default;
  virtual const FreeSpaceDrive& drive() const = 0;
  // Fills, flushes and gives back; the space is free again when it returns,
  // whether it finished, failed or was cancelled.
  virtual FreeSpaceResult run(const FreeSpaceOptions& options) = 0;
  // The drive's write speed in bytes a second, from a short fill of at most
  // a second and 256 MiB that is given back at once; 0 when it cannot be
  // measured.
  virtual double measureSpeed() = 0;
};

// Opens the drive that holds a folder; where the system offers no free-space
// wipe, the bundle holds none.
using FreeSpaceOpener = std::function<std::unique_ptr<FreeSpaceWipe>(const std::string& folder)>;

}  // namespace platform
