// The sources of each area, composed once for every front end (the command
// line, the automatic runs, the pages): the browsers' sources the stores
// give, with the system's own legacy store listed first where the stores
// say so (or where an area has no source at all).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/cache_area.h"
#include "core/cookie_area.h"
#include "core/cookie_folder_source.h"
#include "core/history_area.h"
#include "core/stores.h"
#include "core/url_cache_source.h"
#include "core/url_history_source.h"
#include "platform/system.h"

namespace core {

// The shell's cookie folder as the registry names it; a value that cannot be
// read gives "" and the system's words for why in problem.
std::string readCookieFolder(platform::Registry& registry, std::string& problem);

class AreaSources {
 public:
  // tellFolderProblem, when given, tells a cookie folder that cannot be
  // read at once (a window's box); without it the plan holds the failure.
  AreaSources(platform::System& system, const Stores& stores,
              std::function<void(const std::string&)> tellFolderProblem = {});
  ~AreaSources();
  AreaSources(const AreaSources&) = delete;
  AreaSources& operator=(const AreaSources&) = delete;

  const Stores& stores() const { return stores_; }
  // Whether the cookie entries are the cookie folder's files alone.
  bool cookieFilesOnly() const { return stores_.cookies.empty(); }

  CookieArea cookieArea();
  // The cookie area's plan, with the cookie folder's problem when untold.
  CookiePlan planCookies(const std::function<bool()>& keepListing = {});
  CacheArea cacheArea();
  // The system's history store is opened the first time it is needed; one
  // that cannot be opened is left out and historyProblem() says why.
  HistoryArea historyArea();
  const std::string& historyProblem() const { return historyProblem_; }

 private:
  platform::System& system_;
  Stores stores_;
  std::function<void(const std::string&)> tellFolderProblem_;
  std::string folderProblem_;
  CookieFolderSource folder_;
  UrlCacheSource urlCache_;
  std::unique_ptr<platform::UrlHistoryStg> historyStore_;
  std::unique_ptr<UrlHistorySource> urlHistory_;
  bool historyOpened_ = false;
  std::string historyProblem_;
};

}  // namespace core
