// What sites store in a profile through scripts (local and session storage,
// IndexedDB, Cache Storage, service workers), by the same sites as cookies
// (cookie_site.h): which sites have some, and removing all of it for some
// sites. It goes with the sites' cookies, as the browsers' own "cookies and
// site data" does. Each family's stores are in its own file.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "browsers/profiles/browser_profiles.h"
#include "platform/clear_outcome.h"

namespace browsers {

// A store or folder of site data that stayed, and the sites whose data it
// still holds.
struct SiteDataLeft {
  std::set<std::string> sites;
  platform::ClearFailure failure;  // the store, and why
};

struct SiteDataRemoval {
  // Items of site data removed (an origin's folder, a store's records of an
  // origin, a service-worker registration), per site.
  std::map<std::string, std::int64_t> removed;
  std::vector<SiteDataLeft> left;
  // Stores kept whole on purpose, with the reason.
  std::vector<SiteDataLeft> kept;
};

// The sites that have site data in the profile; read from copies, never by
// opening the live stores. problems: stores that are there and could not be
// read, in plain words.
std::set<std::string> listSiteDataSites(const BrowserProfile& profile,
                                        std::vector<std::string>& problems);

// Removes every item of site data of these sites from the profile and
// nothing of any other site. Nothing changes while the browser runs (its
// stores are open and would be written back): every site with data is left,
// with the reason.
SiteDataRemoval removeSiteData(const BrowserProfile& profile, const std::set<std::string>& sites);

// ---- shared by the families ----

// The host of an origin or URL, "https://www.example.com:8443/x" ->
// "www.example.com"; "" for anything but http(s) (extensions, files).
std::string hostOfOrigin(std::string_view origin);

// The site of a host as cookies are grouped; "" for "".
std::string siteOfDataHost(std::string_view host);

// What deleting rows of some sites from one SQLite table came to.
struct RowRemoval {
  std::map<std::string, std::int64_t> removed;  // site -> distinct keys removed
  std::string problem;                          // "" or why nothing changed
};
// Deletes, in one transaction with secure_delete on, every row of table whose
// keyColumn names one of the sites (siteOfKey gives a key's site, "" for none
// of ours), then checkpoints so that nothing deleted stays in a WAL. No file:
// nothing to do. Items are the distinct keys.
RowRemoval removeRowsOfSites(const std::string& database, const std::string& table,
                             const std::string& keyColumn,
                             const std::function<std::string(std::string_view)>& siteOfKey,
                             const std::set<std::string>& sites);
// The sites named by keyColumn of a table, read from a private copy; false
// when the database is there and cannot be read.
bool readSitesOfRows(const std::string& database, const std::string& table,
                     const std::string& keyColumn,
                     const std::function<std::string(std::string_view)>& siteOfKey,
                     std::set<std::string>& sites);

}  // namespace browsers
