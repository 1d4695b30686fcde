// The passes of a free-space fill and its speed probe, the same on every
// system; each system supplies how one pass fills, flushes and gives back.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/free_space.h"

namespace platform {

// One pass of the fill, as a system makes it.
class FillPass {
 public:
  virtual ~FillPass() = default;
  // Writes the pattern into the free space and flushes it; false when it
  // stopped (a cancel, an error).
  virtual bool fill() = 0;
  // After the last pass's data, while it is still held: what else the fill
  // reaches (inode slots); false when it failed.
  virtual bool finishLast() { return true; }
  // Gives the space back at once, whatever happened.
  virtual void release() = 0;
  virtual std::int64_t written() const = 0;  // over every pass so far
  virtual std::int64_t heldBack() const = 0;
  virtual std::int64_t inodes() const { return 0; }
  virtual std::int64_t inodesNotReached() const { return 0; }
  virtual bool cancelled() const = 0;
  virtual const std::string& failure() const = 0;
};

// Makes the pass that follows writtenBefore bytes of the earlier passes.
using MakeFillPass = std::function<std::unique_ptr<FillPass>(std::int64_t writtenBefore)>;

// Runs the passes one after the other into result, stopping at the first
// that does not finish; the space is given back after each.
void runFillPasses(int passes, const MakeFillPass& makePass, FreeSpaceResult& result);

// Bytes per second of writes into the free space: chunk after chunk
// (writeChunk returns the bytes written; 0 or less stops) until a quarter of
// the free space, 256 MiB or one second, whichever comes first, then flush.
// The probe runs before the user has said yes, so it stays that small.
double measureWriteSpeed(std::int64_t freeBytes, std::int64_t chunk,
                         const std::function<std::int64_t()>& writeChunk,
                         const std::function<void()>& flush);

}  // namespace platform
