#include "browsers/cookies/site_data.h"

#include <algorithm>
#include <cctype>

#include "browsers/cookies/chromium_site_data.h"
#include "browsers/cookies/cookie_site.h"
#include "browsers/cookies/firefox_site_data.h"
#include "platform/file_access.h"
#include "platform/paths.h"

namespace browsers {

bool SiteDataRemoval::leftAny(const std::string& site) const {
  return std::any_of(left.begin(), left.end(),
                     [&](const SiteDataLeft& l) { return l.sites.contains(site); });
}

SiteDataListing listSiteData(const BrowserProfile& profile) {
  return profile.family == BrowserFamily::Firefox ? listFirefoxSiteData(profile)
                                                  : listChromiumSiteData(profile);
}

SiteDataRemoval removeSiteData(const BrowserProfile& profile, const std::set<std::string>& sites) {
  if (sites.empty()) return {};
  // A running browser holds its stores open and writes them back: nothing of
  // them changes, and every site that has data there is told.
  if (browserRunning(profile)) {
    const SiteDataListing present = listSiteData(profile);
    SiteDataRemoval removal;
    std::set<std::string> left;
    for (const std::string& site : sites)
      if (present.sites.contains(site)) left.insert(site);
    if (!left.empty())
      removal.leave(profile.profileDir, displayName(profile) + " is running", left);
    return removal;
  }
  return profile.family == BrowserFamily::Firefox ? removeFirefoxSiteData(profile, sites)
                                                  : removeChromiumSiteData(profile, sites);
}

void removeStaleSiteDataTemporaries(const BrowserProfile& profile, const timespec& before) {
  // Where the cookie area replaces files (serviceworker.txt) or edits
  // databases beside which a crash-safe write may have been cut short.
  const char* folders[] = {"", "storage", "Network", "WebStorage", "Service Worker"};
  for (const char* below : folders) {
    const std::string folder =
        *below ? platform::pathBelow(profile.profileDir, below) : profile.profileDir;
    if (const auto info = platform::files::infoOf(folder);
        info && info->kind == platform::files::EntryKind::Folder)
      platform::files::removeStaleTemporaries(folder, before);
  }
}

std::string hostOfOrigin(std::string_view origin) {
  std::size_t start = 0;
  if (origin.starts_with("http://"))
    start = 7;
  else if (origin.starts_with("https://"))
    start = 8;
  else
    return {};
  std::string_view rest = origin.substr(start);
  if (rest.starts_with('[')) {
    const std::size_t close = rest.find(']');
    return close == std::string_view::npos ? std::string() : std::string(rest.substr(0, close + 1));
  }
  // The host ends where a name cannot go on: a port, a path, a separator of
  // the store's own ("\0", "^").
  const auto end = std::find_if(rest.begin(), rest.end(), [](char c) {
    return !(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_' ||
             c == '%');
  });
  std::string host(rest.begin(), end);
  std::transform(host.begin(), host.end(), host.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return host;
}

std::string siteOfDataHost(std::string_view host) {
  return host.empty() ? std::string() : siteOfHost(std::string(host));
}

}  // namespace browsers
