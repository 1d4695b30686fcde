// The cache area: the entries of the browsers' caches (the plan) and
// deleting some or all of them (applying it), through the system's URL cache.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/progress.h"
#include "platform/clear_outcome.h"
#include "platform/system.h"

namespace core {

struct CacheEntry {
  std::string url;
  std::string browser;  // the browser and profile whose cache holds it; "" when not known

  // How a report names it: the URL, and its browser and profile.
  std::string lineText() const { return browser.empty() ? url : url + " (" + browser + ")"; }
  // Entries whose name holds "Cookie" keep what a site needs to know the
  // user again; they go only when asked.
  bool holdsCookies() const { return url.find("Cookie") != std::string::npos; }
};

struct CachePlan {
  std::vector<CacheEntry> entries;  // normal entries, in the cache's order
};

struct CacheOptions {
  bool deleteCookieEntries = false;  // "Delete Cached passwords"
  bool overwrite = false;            // overwrite the entries' files before removal
};

class CacheArea {
 public:
  explicit CacheArea(platform::System& system) : system_(system) {}

  CachePlan plan() const;
  // What applying the whole plan would remove and leave (damaged entries
  // included), removing nothing.
  platform::ClearOutcome preview(const CachePlan& plan, const CacheOptions& options) const;
  // Deletes the chosen entries (indexes into plan.entries, in that order);
  // with all, also the damaged entries that no listing shows. An entry
  // already gone (with an earlier line of the same URL) is no failure.
  platform::ClearOutcome apply(const CachePlan& plan, const std::vector<std::size_t>& chosen,
                               const CacheOptions& options, bool all,
                               const Progress& progress = {}) const;

 private:
  void deleteEntry(const CacheEntry& entry, platform::ClearOutcome& outcome) const;

  platform::System& system_;
};

}  // namespace core
