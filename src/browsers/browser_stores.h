// The browsers' data as the clearing core's sources: one object that owns
// a source per area, over every profile of every browser family found.
#pragma once

#include "browsers/cookies/profile_cookie_source.h"
#include "core/stores.h"

namespace browsers {

class BrowserStores {
 public:
  core::Stores stores() { return core::Stores{{&cookies_}}; }

 private:
  ProfileCookieSource cookies_;
};

}  // namespace browsers
