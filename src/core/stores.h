// Where each area's traces are, beyond what the system bundle holds: the
// sources that the program's composition (main, the command line, a test)
// chooses for the system it runs on. The system's own legacy stores (the
// shell's cookie folder, the URL cache and history of Windows) are cleared
// where an area is given no source, and beside the sources where the stores
// say so.
#pragma once

#include <functional>
#include <vector>

#include "core/cache_area.h"
#include "core/cookie_area.h"
#include "core/history_area.h"
#include "core/keep_list.h"

namespace core {

struct Stores {
  std::vector<CookieSource*> cookies = {};
  std::vector<HistorySource*> history = {};
  std::vector<CacheSource*> cache = {};
  // Whether the system's own legacy stores are cleared beside the sources
  // (Windows: its own browser's stores beside the other browsers' profiles).
  bool besideSystemStores = false;
  // How hosts are named as sites, for the keep list.
  SiteNaming naming = {};
  // The sites every browser profile keeps cookies of; none where the
  // browsers are not read.
  std::function<BrowserKeptSites()> keptByBrowsers = {};

  // Whether an area whose sources are these also clears the system's store.
  template <class Source>
  bool withSystemStore(const std::vector<Source*>& sources) const {
    return sources.empty() || besideSystemStores;
  }
};

// The system's store (when there is one) first, then the sources.
template <class Source>
std::vector<Source*> sourcesWith(Source* systemStore, const std::vector<Source*>& sources) {
  std::vector<Source*> all;
  if (systemStore) all.push_back(systemStore);
  all.insert(all.end(), sources.begin(), sources.end());
  return all;
}

}  // namespace core
