#include "browsers/stores/browser_stores.h"

#include "browsers/cookies/profile_cookie_source.h"

namespace browsers {

struct BrowserStores::Sources {
  ProfileCookieSource cookies;
};

BrowserStores::BrowserStores() : sources_(std::make_unique<Sources>()) {}
BrowserStores::~BrowserStores() = default;

core::Stores BrowserStores::stores() {
  return core::Stores{{&sources_->cookies}};
}

}  // namespace browsers
