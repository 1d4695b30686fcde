// Where each area's traces are, beyond what the system bundle holds: the
// sources that the program's composition (main, the command line, a test)
// chooses for the system it runs on. Empty lists mean the system's own
// legacy stores (the shell's cookie folder, the URL cache ...).
#pragma once

#include <functional>
#include <vector>

#include "core/cache_area.h"
#include "core/cookie_area.h"
#include "core/history_area.h"
#include "core/keep_list.h"

namespace core {

struct Stores {
  std::vector<CookieSource*> cookies;
  std::vector<HistorySource*> history;
  std::vector<CacheSource*> cache;
  // How hosts are named as sites, for the keep list.
  SiteNaming naming;
  // The sites every browser profile keeps cookies of; none where the
  // browsers are not read.
  std::function<BrowserKeptSites()> keptByBrowsers;
};

}  // namespace core
