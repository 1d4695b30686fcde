#include "platform/free_space_passes.h"

#include <algorithm>
#include <chrono>

namespace platform {

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

void runFillPasses(int passes, const MakeFillPass& makePass, FreeSpaceResult& result) {
  passes = std::max(1, passes);
  for (int pass = 1; pass <= passes; ++pass) {
    std::unique_ptr<FillPass> fill = makePass(result.bytesWritten);
    const auto start = std::chrono::steady_clock::now();
    bool done = fill->fill();
    result.fillSeconds += secondsSince(start);
    if (done && pass == passes) done = fill->finishLast();
    fill->release();
    result.bytesWritten = fill->written();
    result.inodesReached = std::max(result.inodesReached, fill->inodes());
    result.inodesNotReached = fill->inodesNotReached();
    result.bytesHeldBack = fill->heldBack();
    result.cancelled = fill->cancelled();
    result.failure = fill->failure();
    if (!done) return;
    result.passesDone = pass;
  }
}

double measureWriteSpeed(std::int64_t freeBytes, std::int64_t chunk,
                         const std::function<std::int64_t()>& writeChunk,
                         const std::function<void()>& flush) {
  const std::int64_t most = std::min<std::int64_t>(freeBytes / 4, 256ll << 20);
  const auto start = std::chrono::steady_clock::now();
  const auto deadline = start + std::chrono::seconds(1);
  std::int64_t written = 0;
  while (written + chunk <= most && std::chrono::steady_clock::now() < deadline) {
    const std::int64_t done = writeChunk();
    if (done <= 0) break;
    written += done;
  }
  flush();
  const double seconds = secondsSince(start);
  return written > 0 && seconds > 0 ? written / seconds : 0;
}

}  // namespace platform
