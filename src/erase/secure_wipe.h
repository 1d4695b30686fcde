// The wipe engine: overwrites a file in place with 0x01 bytes, a chosen number
// of passes, then deletes it. It never follows a link, overwrites only
// regular files with a single name, and leaves files in use alone.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/system.h"

namespace erasure {

enum class WipeOutcome {
  Wiped,          // overwritten and removed
  Deleted,        // removed without overwriting (0 passes, or a file with other hard links)
  LinkRemoved,    // a symbolic link: the link is gone, its target untouched
  OldCopiesKept,  // removed without overwriting: no overwrite reaches its old data there
  InMemory,       // removed without overwriting: its file system lives in memory and swap
  Overwritten,    // overwritten, but its name could not be removed; see reason
  InUse,          // another process holds it open: left as it was
  NotRegular,     // FIFO, socket, device, folder, kernel interface: left as it was
  NotOwned,       // skipped because it belongs to another user (when asked to)
  MountPoint,     // a mount point, or on another mount than its folder: left as it was
  Missing,        // nothing of that name
  Failed,         // neither overwritten nor removed; see reason
};

struct WipeResult {
  std::string path;
  WipeOutcome outcome = WipeOutcome::Failed;
  std::string reason;      // plain words for the user when not Wiped
  std::string fileSystem;  // for OldCopiesKept and InMemory: its name ("btrfs"), "" for
                           // shared blocks
  std::int64_t bytes = 0;  // its length when it was opened, where known
  bool destroyed() const { return outcome == WipeOutcome::Wiped; }
  // The name is gone, its content overwritten or not.
  bool removed() const {
    return outcome == WipeOutcome::Wiped || outcome == WipeOutcome::Deleted ||
           outcome == WipeOutcome::LinkRemoved || outcome == WipeOutcome::OldCopiesKept ||
           outcome == WipeOutcome::InMemory;
  }
  // Everything asked for was done: overwritten and removed, or a link
  // removed (its target is never the wipe's to destroy).
  bool complete() const {
    return outcome == WipeOutcome::Wiped || outcome == WipeOutcome::LinkRemoved;
  }
};

// Destroys one file. Callers that do not look at the result get the quiet
// behaviour: nothing is ever reported.
WipeResult WipeFile(platform::System& platform, const std::string& path, int passes);

// The same, calling afterPass with the pass number once each pass is on the
// storage, before the next one starts (a seam to look at the file between
// passes).
WipeResult WipeFile(platform::System& platform, const std::string& path, int passes,
                    const std::function<void(int pass)>& afterPass);

// Deletes one file, clearing a read-only mark when that is what stops it.
void ForceDelete(platform::System& platform, const std::string& path);

// What a look at a file named for wiping found.
struct FileCheck {
  bool hasContent = false;  // it exists and is longer than 0 bytes
  std::string problem;      // the system's text for a failure other than "not found", else ""
};

// Looks at a file named for wiping. Nothing is shown: the caller tells the problem.
FileCheck CheckFile(platform::System& platform, const std::string& path);

struct BatchOptions {
  bool ownedByUserOnly = false;  // skip files of other users (the shared /tmp)
  // (files done, total, path): called as each file's last pass begins and
  // as each file that is not overwritten is settled; files done counts the
  // files overwritten or settled before, so the count never runs ahead of
  // the work. A last call (total, total, "") ends the batch.
  std::function<void(std::int64_t, std::int64_t, const std::string&)> progress;
  // Called with each path just before its file is opened (a seam for tests).
  std::function<void(const std::string&)> beforeOpen;
};

// Destroys many files the user named with one sync of the file system for
// the whole batch, then removes them. The results are in the order of paths.
std::vector<WipeResult> WipeFiles(platform::System& platform, const std::vector<std::string>& paths,
                                  int passes, const BatchOptions& options = {});

// The same for files below a chosen folder, given relative to it and reached
// only through it; the results' paths are the folder's path joined with them.
std::vector<WipeResult> WipeFilesBelow(platform::System& platform, platform::ChosenFolder& folder,
                                       const std::vector<std::string>& relative, int passes,
                                       const BatchOptions& options = {});

}  // namespace erasure
