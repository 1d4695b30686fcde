// Chromium's site data in a profile: IndexedDB folders per origin
// ("http_example.com_0.indexeddb.leveldb" and ".blob"), Cache Storage folders
// per origin under "Service Worker/CacheStorage" (the origin named in each
// one's index.txt), storage buckets in folders named by their quota row
// ("WebStorage/<id>"), the LevelDB stores shared by all origins ("Local
// Storage/leveldb", "Session Storage", "Service Worker/Database"), the worker
// scripts of "Service Worker/ScriptCache" that the service-worker database
// names by resource id, the site characteristics database (keyed by host
// digests) and the quota manager's rows ("WebStorage/QuotaManager").
//
// A shared store whose every origin goes is removed whole; otherwise only
// its records of those origins are, where the LevelDB library is built in;
// elsewhere it stays whole and is told as kept. What points at other data
// goes after it: worker scripts before the records naming them, every folder
// before the quota rows. The site characteristics database names no host in
// the clear, so nothing would find a site by it: it is edited first, and a
// site whose records there cannot be removed keeps the rest of its data this
// run (told), so that the next run finds it again.
#pragma once

#include <set>
#include <string>
#include <string_view>

#include "browsers/cookies/site_data.h"

namespace browsers {

SiteDataListing listChromiumSiteData(const BrowserProfile& profile);
SiteDataRemoval removeChromiumSiteData(const BrowserProfile& profile,
                                       const std::set<std::string>& sites);

// The site of the first http(s) origin in a key or storage key; a
// partitioned key ("https://a.test/^0https://top.test") belongs to the site of
// the top page, as its partitioned cookies do. "" for none.
std::string siteOfStorageKey(std::string_view text);

// The site of an IndexedDB folder "<scheme>_<host>_<port>.indexeddb.<kind>";
// "" for any other name.
std::string siteOfIndexedDbFolder(std::string_view name);

}  // namespace browsers
