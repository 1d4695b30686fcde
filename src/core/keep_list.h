// The sites to keep: registrable sites (and hosts or addresses that have
// none, such as localhost or 192.168.1.10) whose cookies every clearing
// leaves, so that a person stays logged in where they chose to. Their history
// and cache still go: what is kept is the login, not the trail.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/settings_store.h"

namespace core {

// The key of the list in the preferences' section: one value, the sites
// separated by blanks. A person may edit it by hand: an entry that is no
// site as written is kept as it is and told, never guessed at or dropped.
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
  // An international name in the ASCII form the browsers store it in
  // ("bücher.de" -> "xn--bcher-kva.de"); nothing when it is not a valid
  // one. Without it, only names written in ASCII are sites.
  std::function<std::optional<std::string>(const std::string& name)> asciiName;
};

// What a user typed, as a site the list can hold: lower case, without
// scheme, user, port, path or leading dot, reduced to its registrable site
// ("https://www.example.co.uk:8443/x" -> "example.co.uk"); an international
// name in its ASCII form ("bücher.de" -> "xn--bcher-kva.de"); an address as
// the browsers write it (core/host_address.h: "3232235786" -> "192.168.1.10",
// "::1" -> "[::1]").
struct KeptSite {
  std::string site;
  std::string error;  // why it cannot be kept, in plain words; "" when it can
  bool ok() const { return error.empty(); }
};
KeptSite keptSiteOf(std::string_view text, const SiteNaming& naming);

// An entry of the stored list that is no site as written ("exa$mple.com",
// "co.uk"), with the reason. It keeps nothing, and stays on the list as it
// was written until it is taken off.
struct UnreadEntry {
  std::string text;
  std::string reason;
};

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

  // The entries that could not be read, in the stored order.
  const std::vector<UnreadEntry>& unreadable() const { return unreadable_; }
  void addUnreadable(UnreadEntry entry) { unreadable_.push_back(std::move(entry)); }
  // Takes off the unreadable entries written as text (case aside); false
  // when there is none.
  bool removeUnreadable(std::string_view text);

  // The kept site that a cookie of host belongs to, or "" when none: the
  // host's site must be the kept site, so example.co.uk keeps
  // accounts.example.co.uk and nothing else under co.uk.
  std::string keeperOf(const std::string& host, const SiteNaming& naming) const;

 private:
  std::vector<std::string> sites_;
  std::vector<UnreadEntry> unreadable_;
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

// The list a stored value holds: every entry that names a site, as
// keptSiteOf makes it (so in lower case), and every other entry as
// unreadable, with the reason.
KeepList keepListOf(const std::string& value, const SiteNaming& naming);
// The value that stores the list: its sites, then its unreadable entries
// as they were written.
std::string keepListValue(const KeepList& list);

// The stored list; an absent value reads as an empty list.
KeepList readKeepList(platform::SettingsStore& settings, const SiteNaming& naming);
// Changes the stored list: edit gets the list as stored at this moment,
// while no other copy of the program can change the settings, and what it
// leaves is saved (nothing when it changed nothing). Whether it was saved.
platform::SettingsSaved changeKeepList(platform::SettingsStore& settings, const SiteNaming& naming,
                                       const std::function<void(KeepList&)>& edit);

// Why an entry of a kept site stays: "example.com is on the keep list".
std::string keptReason(const std::string& site);
// What an unreadable entry does, in words for after its reason.
std::string unreadEntryEffect();

}  // namespace core
