// The cookie databases of both browser families: which sites have cookies in
// a profile, and deleting every cookie of one site.
#pragma once

#include <string>
#include <vector>

#include "platform/linux/common/browser_profiles.h"

namespace platform::linux_os {

// The profile's cookie database: Firefox cookies.sqlite; Chromium Cookies,
// under Network/ once the profile's network data has moved there.
std::string cookieDatabasePath(const BrowserProfile& profile);

// The sites (host names without the leading dot of domain cookies) that have
// cookies in the profile, read from a private copy of its database, never the
// live file. A parent domain comes before its sub-domains. Empty when there
// is no readable database.
std::vector<std::string> listCookieSites(const BrowserProfile& profile);

enum class CookieDeleteResult {
  Deleted,   // the site's cookies are gone from the database
  NotFound,  // no database, or the site has no cookie in it
  InUse,     // the browser runs or holds the database locked: nothing changed
  Failed,    // not a cookie database we know, or SQLite failed: nothing changed
};

// Deletes every cookie of the site (the exact host, the domain cookies of the
// site and those of its sub-domains, and the cookies partitioned
// under the site) with secure_delete on, then checkpoints the WAL. vacuum
// also rebuilds the database so that no deleted cookie survives in free pages.
CookieDeleteResult deleteCookieSite(const BrowserProfile& profile, const std::string& site,
                                    bool vacuum);

}  // namespace platform::linux_os
