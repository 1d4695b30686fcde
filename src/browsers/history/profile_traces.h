// The files outside the history databases that remember visited pages,
// changed after the databases were committed (the browser is closed):
//   Firefox family:  the session files (sessionstore.jsonlz4 and the files
//                    of sessionstore-backups/), rewritten without the pages;
//                    one that cannot be rewritten stays exactly as it was
//                    and is told; one that cannot be understood (damaged)
//                    is deleted, and the browser starts with a new session.
//   Chromium family: the session files (Sessions/, Sessions_Encrypted/, and
//                    the older Current/Last Session/Tabs), deleted when they
//                    hold a page that goes (every one on a clearing); the
//                    "Visited Links" table on a clearing (the browser
//                    rebuilds it from History); the site- and media-
//                    engagement entries of Preferences; the pages in the
//                    user-data folder's URL-keyed metrics
//                    (segmentation_platform/ukm_db).
#pragma once

#include <string>
#include <vector>

#include "browsers/history/firefox_session.h"
#include "browsers/profiles/browser_profiles.h"
#include "platform/clear_outcome.h"

namespace browsers::history {

using UrlList = std::vector<std::string>;

// keep: whether a URL stays; clearing: the whole history goes; urls: the
// URLs deleted (null when clearing). Whatever cannot be changed is a failure.
// The temporaries of a rewrite that an earlier run left behind go first.
void clearProfileFiles(const BrowserProfile& profile, const KeepUrl& keep, bool clearing,
                       const UrlList* urls, platform::ClearOutcome& outcome);

// The "scheme://host:port" origin of an http(s) URL, as Chromium's content
// settings name it; "" for anything else.
std::string settingsOrigin(const std::string& url);

}  // namespace browsers::history
