// What one clearing of an area did: what went (or, in a preview, would go)
// and every item that could not be cleared, with the reason in plain words.
// The clearing routines fill it; the run report, the command line and the
// tray notification read it.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace platform {

struct ClearFailure {
  std::string item;    // what was left: a file, a site, a URL, a profile
  std::string reason;  // why, e.g. "Firefox (profile default-esr) is running",
                       // "in use by pid 1234", "not yours"
};

struct ClearOutcome {
  std::int64_t removed = 0;        // items removed (in a preview: that would be)
  std::int64_t bytes = 0;          // their size in bytes, where known
  std::vector<std::string> items;  // a preview's list of what would be removed
  std::vector<ClearFailure> failures;
  // Items left alone by design, not failures: other users' files and the
  // sockets and pipes of running programs in the shared temporary folder.
  std::int64_t skipped = 0;

  bool ok() const { return failures.empty(); }
  void fail(std::string item, std::string reason) {
    failures.push_back({std::move(item), std::move(reason)});
  }
  void add(const ClearOutcome& other) {
    removed += other.removed;
    bytes += other.bytes;
    skipped += other.skipped;
    items.insert(items.end(), other.items.begin(), other.items.end());
    failures.insert(failures.end(), other.failures.begin(), other.failures.end());
  }
};

}  // namespace platform
