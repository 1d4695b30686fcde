// The cache area: the entries of the browsers' caches (the plan) and
// deleting some or all of them (applying it). The entries come from sources:
// the browsers' profiles, and on Windows the system's URL cache (WinINet).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/progress.h"
#include "platform/clear_outcome.h"

namespace core {

struct CacheEntry {
  std::string url;
  std::string browser;  // the browser and profile whose cache holds it; "" when not known
  std::size_t source = 0;

  // How a report names it: the URL, and its browser and profile.
  std::string lineText() const { return browser.empty() ? url : url + " (" + browser + ")"; }
  // Entries whose name holds "Cookie" keep what a site needs to know the
  // user again; they go only when asked.
  bool holdsCookies() const { return url.find("Cookie") != std::string::npos; }
};

struct CachePlan {
  std::vector<CacheEntry> entries;  // normal entries, in each source's order
};

struct CacheOptions {
  bool deleteCookieEntries = false;  // "Delete Cached passwords"
  bool overwrite = false;            // overwrite the entries' files before removal, where it can
};

class CacheSource {
 public:
  virtual ~CacheSource() = default;
  // Adds its entries to plan, each with source set to self.
  virtual void list(CachePlan& plan, std::size_t self) = 0;
  // Deletes entries (all its own), in that order; progress(k + 1, n) is told
  // before entries[k]. gone[k] is set once entries[k] is gone; an entry that
  // stays and should have gone is a failure of outcome, named by its
  // lineText(), with the reason. An entry already gone is neither.
  virtual void remove(const std::vector<const CacheEntry*>& entries, const CacheOptions& options,
                      const Progress& progress, platform::ClearOutcome& outcome,
                      std::vector<bool>& gone) = 0;
  // The entries too damaged to be listed, which a clearing of the whole
  // cache removes too; those holding "Cookie" are spared unless
  // options.deleteCookieEntries. Each removed one is an item of the outcome.
  virtual platform::ClearOutcome removeDamaged(const CacheOptions& options) = 0;
  // What removeDamaged would remove and leave, removing nothing.
  virtual platform::ClearOutcome previewDamaged(const CacheOptions& options) = 0;
};

class CacheArea {
 public:
  explicit CacheArea(std::vector<CacheSource*> sources) : sources_(std::move(sources)) {}

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
  std::vector<CacheSource*> sources_;
};

}  // namespace core
