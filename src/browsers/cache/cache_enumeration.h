// One walk over the entries of every cache folder of a snapshot, recording
// where each URL's files are as it goes.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browsers/cache/cache_snapshot.h"
#include "platform/file_access.h"

namespace browsers {

struct FoundEntry {
  EntryFileInfo info;
  std::size_t folder = 0;
  std::string name;
};

class CacheEnumeration {
 public:
  explicit CacheEnumeration(std::shared_ptr<CacheSnapshot> snapshot);
  ~CacheEnumeration();
  CacheEnumeration(const CacheEnumeration&) = delete;
  CacheEnumeration& operator=(const CacheEnumeration&) = delete;

  // The next listable entry, or null at the end; it stays next until pop().
  const FoundEntry* peek();
  void pop() { pending_.reset(); }
  const CacheSnapshot& snapshot() const { return *snapshot_; }

 private:
  bool openFolder();
  void closeFolder();
  void consider(const std::string& name);

  std::shared_ptr<CacheSnapshot> snapshot_;
  std::size_t folder_ = 0;
  // The folder being walked, and its names not yet considered (last first).
  platform::files::OpenFolder dir_;
  std::vector<std::string> names_;
  std::optional<FoundEntry> pending_;
  bool done_ = false;
};

}  // namespace browsers
