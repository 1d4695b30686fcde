// For a system the browser module is not built for yet: no browser sources.
#include "browsers/stores/browser_stores.h"

namespace browsers {

struct BrowserStores::Sources {};

BrowserStores::BrowserStores(platform::FileLayer&) {}
BrowserStores::~BrowserStores() = default;

core::Stores BrowserStores::stores() {
  return {};
}

}  // namespace browsers
