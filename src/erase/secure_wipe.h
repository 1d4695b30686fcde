// The wipe engine: overwrites a file in place with 0x01 bytes, a chosen number
// of passes, then deletes it. It never follows a link, overwrites only
// regular files with a single name, and leaves files in use alone.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace erasure {

enum class WipeOutcome {
  Wiped,        // overwritten and removed
  Deleted,      // removed without overwriting (0 passes, or a file with other hard links)
  LinkRemoved,  // a symbolic link: the link is gone, its target untouched
  InUse,        // another process holds it open: left as it was
  NotRegular,   // FIFO, socket, device, folder: left as it was
  NotOwned,     // skipped because it belongs to another user (when asked to)
  Missing,      // nothing of that name
  Failed,       // could not be overwritten or removed; see reason
};

struct WipeResult {
  std::string path;
  WipeOutcome outcome = WipeOutcome::Failed;
  std::string reason;  // plain words for the user when not Wiped
  bool destroyed() const { return outcome == WipeOutcome::Wiped; }
};

// Destroys one file. Callers that do not look at the result get the quiet
// behaviour: nothing is ever reported.
WipeResult WipeFile(platform::Platform& platform, const std::string& path, int passes);

// The same, calling afterPass with the pass number once each pass is on the
// storage, before the next one starts (a seam to look at the file between
// passes).
WipeResult WipeFile(platform::Platform& platform, const std::string& path, int passes,
                    const std::function<void(int pass)>& afterPass);

// Deletes one file, clearing a read-only mark when that is what stops it.
void ForceDelete(platform::Platform& platform, const std::string& path);

// True when the file exists and is longer than 0 bytes. A failure other than
// "not found" shows the system's error text in a message box.
bool FileExists(platform::Platform& platform, const std::string& path);

struct BatchOptions {
  bool ownedByUserOnly = false;  // skip files of other users (the shared /tmp)
  // The folder the files were listed from: each is reached from it without
  // following a link, and a path outside it is refused. Empty for files the
  // user named one by one.
  std::string root;
  // Called before each file: (files done, total, path).
  std::function<void(std::int64_t, std::int64_t, const std::string&)> progress;
};

// Destroys many files with one sync of the file system for the whole batch,
// then removes them. The results are in the order of paths.
std::vector<WipeResult> WipeFiles(platform::Platform& platform,
                                  const std::vector<std::string>& paths, int passes,
                                  const BatchOptions& options = {});

}  // namespace erasure
