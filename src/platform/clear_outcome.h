// What one clearing of an area did: what went (or, in a preview, would go),
// what was kept by design and every item that could not be cleared, each
// with the reason in plain words. The clearing routines fill it; the run
// report, the command line and the tray notification read it.
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

// An item left on purpose, with the reason ("the system keeps it").
using ClearKept = ClearFailure;

// What the removed items held, of one kind, where an area counts it apart
// (the cookie area's sites: their cookies, their items of site data).
struct ClearTally {
  std::string one;   // "cookie"
  std::string many;  // "cookies"
  std::int64_t count = 0;
};

struct ClearOutcome {
  std::int64_t removed = 0;        // items removed (in a preview: that would be)
  std::int64_t bytes = 0;          // their size in bytes, where known
  std::vector<std::string> items;  // what was removed (in a preview: would be)
  std::vector<ClearFailure> failures;
  // Items left alone by design and only counted: other users' files and the
  // sockets and pipes of running programs in the shared temporary folder.
  std::int64_t skipped = 0;
  // Items left alone by design and named, each once with its reason: what
  // the system keeps in a shared temporary folder for itself.
  std::vector<ClearKept> kept;
  // What the removed items held, by kind, in the order first told.
  std::vector<ClearTally> contents;

  bool ok() const { return failures.empty(); }
  void fail(std::string item, std::string reason) {
    failures.push_back({std::move(item), std::move(reason)});
  }
  void keep(std::string item, std::string reason) {
    kept.push_back({std::move(item), std::move(reason)});
  }
  void tally(const std::string& one, const std::string& many, std::int64_t n) {
    for (ClearTally& kind : contents)
      if (kind.many == many) {
        kind.count += n;
        return;
      }
    contents.push_back({one, many, n});
  }
  void add(const ClearOutcome& other) {
    for (const ClearTally& kind : other.contents) tally(kind.one, kind.many, kind.count);
    removed += other.removed;
    bytes += other.bytes;
    skipped += other.skipped;
    items.insert(items.end(), other.items.begin(), other.items.end());
    failures.insert(failures.end(), other.failures.begin(), other.failures.end());
    kept.insert(kept.end(), other.kept.begin(), other.kept.end());
  }
};

}  // namespace platform
