// The sites to keep: registrable sites (and hosts or addresses that have
// none, such as localhost or 192.168.1.10) whose cookies every clearing
// leaves, so that a person stays logged in where they chose to. Their history
// and cache still go: what is kept is the login, not the trail.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/settings_store.h"

namespace core {

// The key of the list in the preferences' section: one value, the sites
// separated by blanks.
inline constexpr const char* kKeyKeptSites = "keptsites";

// How hosts are named as sites. The Public Suffix List lives with the
// browsers, so the composition passes it in; without it a host is its own
// site and a host under a kept site is kept with it.
struct SiteNaming {
  // "www.example.co.uk" -> "example.co.uk"; a host without a registrable
  // domain (localhost, an address, a public suffix) is returned as it is.
  std::function<std::string(const std::string& host)> siteOf;
  // "co.uk", "com" -> true; "localhost", "example.com" -> false.
  std::function<bool(const std::string& host)> isPublicSuffix;
};

// What a user typed, as a site the list can hold: lower case, without
// scheme, user, port, path or leading dot, reduced to its registrable site
// ("https://www.example.co.uk:8443/x" -> "example.co.uk"). An IPv6 address is
// written in brackets ("[::1]").
struct KeptSite {
  std::string site;
  std::string error;  // why it cannot be kept, in plain words; "" when it can
  bool ok() const { return error.empty(); }
};
KeptSite keptSiteOf(std::string_view text, const SiteNaming& naming);

class KeepList {
 public:
  KeepList() = default;
  // sites must be normalised (keptSiteOf); duplicates are dropped.
  explicit KeepList(const std::vector<std::string>& sites);

  // Sorted, each once.
  const std::vector<std::string>& sites() const { return sites_; }
  bool empty() const { return sites_.empty(); }
  // false when the site was already there (add) or was not (remove).
  bool add(const std::string& site);
  bool remove(const std::string& site);

  // The kept site that a cookie of host belongs to, or "" when none: the
  // host's site must be the kept site, so example.co.uk keeps
  // accounts.example.co.uk and nothing else under co.uk.
  std::string keeperOf(const std::string& host, const SiteNaming& naming) const;

 private:
  std::vector<std::string> sites_;
};

// The sites the browsers themselves always allow cookies for (their cookie
// exceptions), as they write them (an origin, a host or a host pattern), and
// the profiles that could not be read, each with the reason.
struct BrowserKeptSites {
  std::vector<std::string> names;
  std::vector<std::string> problems;
};

// Adds each name that can be kept (see keptSiteOf) and skips the others, as
// an import does; the sites newly added, in order.
std::vector<std::string> addKeptSites(KeepList& list, const std::vector<std::string>& names,
                                      const SiteNaming& naming);

// The stored list; an absent or garbled value reads as an empty list.
KeepList readKeepList(platform::SettingsStore& settings);
void writeKeepList(platform::SettingsStore& settings, const KeepList& list);

// Why an entry of a kept site stays: "example.com is on the keep list".
std::string keptReason(const std::string& site);

}  // namespace core
