// The sites the browsers themselves always allow to keep cookies, so that a
// person who set them there need not type them again: Firefox's cookie
// exceptions set to "Allow" (permissions.sqlite, moz_perms rows of type
// "cookie" with permission 1) and Chromium's sites allowed to save cookies
// (Preferences, profile.content_settings.exceptions.cookies with setting 1),
// in every profile of every family.
#pragma once

#include "browsers/profiles/browser_profiles.h"
#include "core/keep_list.h"

namespace browsers {

// The names as the browsers write them: an origin ("https://example.com",
// without Firefox's "^userContextId=1" suffix) or a host pattern's host
// ("example.com" of "[*.]example.com"); the core makes sites of them. The
// policy files are looked for below systemRoot (see browserPolicyFiles).
core::BrowserKeptSites keptByBrowsers(const std::string& systemRoot = {});
void addKeptSitesOf(const BrowserProfile& profile, core::BrowserKeptSites& found);

}  // namespace browsers
