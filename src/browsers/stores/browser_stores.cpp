#include "browsers/stores/browser_stores.h"

#include "browsers/cookies/profile_cookie_source.h"
#include "browsers/history/profile_history_source.h"

namespace browsers {

struct BrowserStores::Sources {
  ProfileCookieSource cookies;
  ProfileHistorySource history;
};

BrowserStores::BrowserStores() : sources_(std::make_unique<Sources>()) {}
BrowserStores::~BrowserStores() = default;

core::Stores BrowserStores::stores() {
  return core::Stores{{&sources_->cookies}, {&sources_->history}};
}

}  // namespace browsers
