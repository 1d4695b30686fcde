// The cookie databases of both browser families: which sites have cookies in
// a profile, and deleting every cookie of some sites.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "browsers/profiles/browser_profiles.h"

namespace browsers {

// The profile's cookie database: Firefox cookies.sqlite; Chromium Cookies,
// under Network/ once the profile's network data has moved there.
std::string cookieDatabasePath(const BrowserProfile& profile);

// The sites (see cookie_site.h) that have cookies in the profile, read from a
// private copy of its database, never the live file; sorted so that the sites
// of one domain stand together. No sites and no problem: there is no database.
struct CookieSites {
  std::vector<std::string> sites;
  // A database that is there and could not be read, in plain words.
  std::string problem;
};
CookieSites listCookieSites(const BrowserProfile& profile);

enum class CookieDeleteResult {
  Deleted,   // the site's cookies are gone from the database
  NotFound,  // no database, or the site has no cookie in it
  InUse,     // the browser runs or holds the database locked: nothing changed
  Failed,    // not a cookie database we know, or SQLite failed: nothing changed
};

// Deletes every cookie of each site (the cookies whose site it is, and no
// other) in one transaction with secure_delete on, then checkpoints the WAL
// once. vacuum also rebuilds the database so that no deleted cookie survives
// in free pages. One result per site, in the order given; a failure of the
// database (InUse, Failed) is the result of every site. busy, when set, is
// called now and then while SQLite works, so that a window can repaint.
std::vector<CookieDeleteResult> deleteCookieSites(const BrowserProfile& profile,
                                                  const std::vector<std::string>& sites,
                                                  bool vacuum,
                                                  const std::function<void()>& busy = {});

// The same, with the number of cookies deleted.
struct CookieDeletion {
  std::vector<CookieDeleteResult> results;
  std::int64_t cookies = 0;
};
CookieDeletion deleteCookieSitesCounted(const BrowserProfile& profile,
                                        const std::vector<std::string>& sites, bool vacuum,
                                        const std::function<void()>& busy = {});

// Sites in the order of the list: those of one domain together.
std::vector<std::string> sitesInDomainOrder(const std::set<std::string>& sites);

CookieDeleteResult deleteCookieSite(const BrowserProfile& profile, const std::string& site,
                                    bool vacuum);

}  // namespace browsers
