// The databases beside a profile's history that also remember visited pages,
// attached to the history database's connection so that they change in the
// same transaction:
//   Firefox family:  favicons.sqlite (page-to-icon mappings and the icons)
//   Chromium family: Favicons, Top Sites, Shortcuts, Network Action Predictor
// A store that is missing, unreadable or of an unknown layout is left alone.
#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

#include "browsers/profiles/browser_profiles.h"

namespace browsers::history {

struct AttachedStore {
  std::string schema;  // the name it is attached under
  std::string path;
};

// Attaches every store of the profile that exists and is recognised; call
// before the transaction begins. Stores that cannot be attached are named
// in skipped with the reason.
std::vector<AttachedStore> attachVisitedSiteStores(sqlite3* db, const BrowserProfile& profile,
                                                   std::vector<std::string>& skipped);

// Inside the transaction, after the history tables were cleared. Firefox:
// the places left in moz_places are the kept ones; Chromium: the kept URLs
// are those left in urls and those in TEMP keep (the bookmarks).
int clearVisitedSiteStores(sqlite3* db, BrowserFamily family,
                           const std::vector<AttachedStore>& stores, std::string& error);

// Inside the transaction, after one URL was deleted from the history tables;
// bookmarked: the URL is a bookmark, whose icon stays.
int deleteFromVisitedSiteStores(sqlite3* db, BrowserFamily family,
                                const std::vector<AttachedStore>& stores, const std::string& url,
                                bool bookmarked, std::string& error);

// After the commit of a clearing: rewrite the attached files without free
// pages (Chromium; Firefox's are folded in by the WAL checkpoint).
void compactVisitedSiteStores(sqlite3* db, const std::vector<AttachedStore>& stores);

}  // namespace browsers::history
