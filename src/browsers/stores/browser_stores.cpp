#include "browsers/stores/browser_stores.h"

#include "browsers/cache/profile_cache_source.h"
#include "browsers/cookies/ascii_host_name.h"
#include "browsers/cookies/cookie_site.h"
#include "browsers/cookies/profile_cookie_source.h"
#include "browsers/history/profile_history_source.h"
#include "browsers/profiles/browser_families.h"
#include "browsers/stores/kept_by_browsers.h"

namespace browsers {

struct BrowserStores::Sources {
  explicit Sources(platform::FileLayer& files) : cache(files) {}
  ProfileCookieSource cookies;
  ProfileCacheSource cache;
  ProfileHistorySource history;
};

BrowserStores::BrowserStores(platform::FileLayer& files)
    : sources_(std::make_unique<Sources>(files)) {}
BrowserStores::~BrowserStores() = default;

core::Stores BrowserStores::stores() {
  return core::Stores{{&sources_->cookies},
                      {&sources_->history},
                      {&sources_->cache},
                      systemBrowserStores(),
                      core::SiteNaming{siteOfHost, isPublicSuffix, asciiHostName},
                      [] { return keptByBrowsers(); }};
}

}  // namespace browsers
