// The cookies and site data of every browser profile of the user, as a
// source of the cookie area: one entry per site per profile,
// "<browser>.<profile>@<site>" (e.g. "firefox.default-esr@example.com"), a
// site being what the browsers group cookies by (cookie_site.h), listed when
// it has cookies or site data (site_data.h) there. Deleting an entry deletes
// exactly the cookies and the site data it stands for from that profile,
// the site data first; while the browser runs nothing of the profile changes
// and the entry stays. Every listing and clearing first removes what this
// program's cut-short writes left in the profiles.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "browsers/profiles/browser_profiles.h"
#include "core/cookie_area.h"

namespace browsers {

class ProfileCookieSource : public core::CookieSource {
 public:
  void list(core::CookiePlan& plan, std::size_t self,
            const std::function<bool()>& keepListing) override;
  void remove(const std::vector<const core::CookieEntry*>& entries,
              const core::CookieOptions& options, const core::Progress& progress,
              platform::ClearOutcome& outcome, std::vector<bool>& gone) override;

 private:
  struct Tally {
    std::int64_t cookies = 0;
    std::int64_t siteData = 0;
  };
  // The profile an entry's label names: the last listing's while it names
  // it, else found anew.
  const BrowserProfile* profileOf(const std::string& label);
  // Removes the sites' data, then their cookies, from one profile; entry
  // indexes[k] stands for sites[k].
  void removeProfileSites(const BrowserProfile& profile, const std::string& label,
                          const std::vector<std::string>& sites,
                          const std::vector<std::size_t>& indexes,
                          const core::CookieOptions& options, const std::function<void()>& busy,
                          platform::ClearOutcome& outcome, std::vector<bool>& gone, Tally& tally);

  std::map<std::string, BrowserProfile> listed_;  // label -> profile, of the last listing
  // What the last listing told as unreached: the plan carries it into the
  // clearing's outcome, so the clearing does not tell it twice.
  std::set<std::string> unreached_;
};

// A profile with the unique "<browser>.<profile>" label that its entries
// begin with (no "@" or "/" in it).
struct LabelledProfile {
  std::string label;
  BrowserProfile profile;
};
std::vector<LabelledProfile> labelledProfiles(const std::vector<BrowserProfile>& profiles);

}  // namespace browsers
