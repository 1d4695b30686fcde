// What sites store in a profile through scripts (local and session storage,
// IndexedDB, Cache Storage, service workers), by the same sites as cookies
// (cookie_site.h): which sites have some, and removing all of it for some
// sites. It goes with the sites' cookies, as the browsers' own "cookies and
// site data" does. Each family's stores are in its own file.
//
// A site is listed from every store that holds its data, not from its
// cookies or the quota manager's rows alone: a removal cut short (a full
// disk, a kill) leaves the site findable by whatever of its data is left, and
// the next run lists it again and finishes. For the same reason the stores
// that only point at others (the quota manager's rows, the service-worker
// database naming worker scripts, Cache Storage's index.txt) go after what
// they point at.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "browsers/profiles/browser_profiles.h"
#include "platform/clear_outcome.h"

namespace browsers {

struct SiteDataListing {
  std::set<std::string> sites;
  // Stores that are there and could not be read, and what an earlier run's
  // cut-short rewrite left that could not be put right, with the reason.
  std::vector<platform::ClearFailure> unreached;
  // Stores set aside by an earlier run and kept on purpose, with the reason.
  std::vector<platform::ClearKept> kept;
};

// A store or folder of site data that stayed, and the sites whose data it
// still holds (none: a store of the profile that no one site stands for).
struct SiteDataLeft {
  std::set<std::string> sites;
  platform::ClearFailure failure;  // the store, and why
};

struct SiteDataRemoval {
  // Items of site data removed (an origin's folder, a store's records of an
  // origin, a service-worker registration), per site: only what is gone.
  std::map<std::string, std::int64_t> removed;
  std::vector<SiteDataLeft> left;
  // Stores kept whole on purpose, with the reason.
  std::vector<SiteDataLeft> kept;

  void leave(const std::string& item, const std::string& why, std::set<std::string> sites) {
    left.push_back({std::move(sites), {item, why}});
  }
  void count(const std::map<std::string, std::int64_t>& items) {
    for (const auto& [site, n] : items) removed[site] += n;
  }
  // Whether something of the site stayed.
  bool leftAny(const std::string& site) const;
};

// The sites that have site data in the profile; read from copies, never by
// opening the live stores. What an earlier run's rewrite of a shared store
// left is finished or undone first.
SiteDataListing listSiteData(const BrowserProfile& profile);

// Removes every item of site data of these sites from the profile and
// nothing of any other site. Nothing changes while the browser runs (its
// stores are open and would be written back): every site with data is left,
// with the reason.
SiteDataRemoval removeSiteData(const BrowserProfile& profile, const std::set<std::string>& sites);

// Removes the temporaries this program's crash-safe writes left in the
// folders of the profile that the cookie area writes to, those older than
// before (a write of another copy running now is not disturbed).
void removeStaleSiteDataTemporaries(const BrowserProfile& profile, const timespec& before);

// ---- shared by the families ----

// The host of an origin or URL, "https://www.example.com:8443/x" ->
// "www.example.com"; "" for anything but http(s) (extensions, files).
std::string hostOfOrigin(std::string_view origin);

// The site of a host as cookies are grouped; "" for "".
std::string siteOfDataHost(std::string_view host);

using SiteOfKey = std::function<std::string(std::string_view)>;

}  // namespace browsers
