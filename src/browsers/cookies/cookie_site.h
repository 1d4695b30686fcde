// The site a cookie belongs to, as the browsers group cookies for the user:
// the registrable domain of its host (the Public Suffix List's "eTLD+1", so
// a.co.uk and b.co.uk are two sites, www.example.com and mail.example.com
// one). A partitioned cookie belongs to the site of the top-level page it
// was set under. Each cookie belongs to exactly one site.
#pragma once

#include <sqlite3.h>

#include <string>

#include "browsers/profiles/browser_profiles.h"

namespace browsers {

// "www.example.com" -> "example.com"; ".b.co.uk" -> "b.co.uk". A host that
// has no registrable domain (a public suffix itself, "localhost", an IP
// address) is its own site. Lower case; "" for an empty host.
std::string siteOfHost(const std::string& host);

// Whether host is a suffix under which different owners register sites
// ("com", "co.uk", "github.io"), by the list's explicit rules: a name the
// list does not know ("localhost", "router") and an address are not.
bool isPublicSuffix(const std::string& host);

// Makes tracesweep_cookie_site(host, partition) available to SQL on this
// connection, where partition is the family's column that records the
// partition (Chromium top_frame_site_key, Firefox originAttributes). Only our
// statements use it; nothing of it is stored in the database.
bool registerCookieSiteFunction(sqlite3* db, BrowserFamily family);

}  // namespace browsers
