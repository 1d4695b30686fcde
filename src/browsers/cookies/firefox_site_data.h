// Firefox's site data in a profile: the origin folders under storage/default
// and storage/temporary (named like "https+++www.example.com+8443^userContextId=2";
// storage/permanent is the browser's own and never touched, and so are the
// origins of extensions), the quota manager's rows of them in storage.sqlite,
// the service-worker registrations of serviceworker.txt, and the rows of the
// older localStorage databases (webappsstore.sqlite, storage/ls-archive.sqlite).
// The quota manager's rows describe the folders: they go last, and only for
// a site whose folders all went.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "browsers/cookies/site_data.h"

namespace browsers {

SiteDataListing listFirefoxSiteData(const BrowserProfile& profile);
SiteDataRemoval removeFirefoxSiteData(const BrowserProfile& profile,
                                      const std::set<std::string>& sites);

// The site of an origin folder's name; "" for one that is not a web origin.
// A partitioned origin (partitionKey) belongs to the site of the top page, as
// its partitioned cookies do.
std::string siteOfFirefoxOriginFolder(std::string_view name);

// The site of a legacy localStorage key, "<originAttributes>|<originKey>"
// where originKey is the reversed host, ".", ":", the scheme, ":", the port
// ("tset.ahpla.:http:80").
std::string siteOfFirefoxOriginKey(std::string_view key);

// serviceworker.txt without the registrations of these sites: its version
// line, then records of one line each (the origin attributes, the scope, ...)
// that end with a line "#". Nothing when the text is not of that form;
// removed receives the registrations dropped per site.
std::optional<std::string> withoutServiceWorkersOf(std::string_view text,
                                                   const std::set<std::string>& sites,
                                                   std::map<std::string, std::int64_t>& removed);

}  // namespace browsers
