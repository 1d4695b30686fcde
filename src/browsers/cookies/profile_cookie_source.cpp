#include "browsers/cookies/profile_cookie_source.h"

#include <algorithm>
#include <set>

#include "browsers/cookies/cookie_store.h"
#include "browsers/cookies/site_data.h"
#include "platform/paths.h"

namespace browsers {

namespace {

std::string labelPart(const std::string& text) {
  std::string out;
  for (char c : text) {
    auto u = static_cast<unsigned char>(c);
    out.push_back(c == '@' || c == '/' || u < 0x20 || u == 0x7f ? '_' : c);
  }
  return out;
}

// Why a database's cookies stayed, in plain words.
std::string reasonFor(const BrowserProfile& profile, CookieDeleteResult result) {
  if (result == CookieDeleteResult::InUse)
    return browserRunning(profile)
               ? displayName(profile) + " is running"
               : "the cookies of " + displayName(profile) + " are locked by another program";
  return "the cookies of " + displayName(profile) + " could not be changed";
}

}  // namespace

std::vector<LabelledProfile> labelledProfiles(const std::vector<BrowserProfile>& profiles) {
  std::vector<LabelledProfile> labelled;
  std::set<std::string> used;
  for (const BrowserProfile& profile : profiles) {
    const std::string base = labelPart(profile.browser) + "." + labelPart(profile.name);
    std::string label = base;
    for (int n = 2; !used.insert(label).second; ++n) label = base + " (" + std::to_string(n) + ")";
    labelled.push_back({label, profile});
  }
  return labelled;
}

void ProfileCookieSource::list(core::CookiePlan& plan, std::size_t self,
                               const std::function<bool()>& keepListing) {
  ProfileSearch search = searchBrowserProfiles();
  // A folder of profiles that may not be entered is told with every plan:
  // its cookies exist and stay.
  plan.unreached.insert(plan.unreached.end(), search.refused.begin(), search.refused.end());
  listed_.clear();
  // No one folder holds the browsers' cookies: the page's folder box names
  // the folders of the browsers' profiles, each once.
  std::set<std::string> roots;
  for (const BrowserProfile& profile : search.profiles) {
    const std::string root = platform::folderOf(profile.profileDir);
    if (!roots.insert(root).second) continue;
    plan.folder += (plan.folder.empty() ? "" : "; ") + root;
  }
  for (LabelledProfile& labelled : labelledProfiles(search.profiles)) {
    const std::string database = cookieDatabasePath(labelled.profile);
    CookieSites listed = listCookieSites(labelled.profile);
    if (!listed.problem.empty()) plan.unreached.push_back({database, std::move(listed.problem)});
    // A site that stored data through scripts and has no cookie is listed
    // too: its entry removes that data.
    std::vector<std::string> problems;
    std::set<std::string> sites = listSiteDataSites(labelled.profile, problems);
    for (const std::string& store : problems)
      plan.unreached.push_back(
          {store, "the site data of " + displayName(labelled.profile) + " could not be read"});
    sites.insert(listed.sites.begin(), listed.sites.end());
    for (const std::string& site : sitesInDomainOrder(sites)) {
      if (!keepListing()) return;
      const std::string name = labelled.label + "@" + site;
      plan.entries.push_back({name, database, name, self, false});
    }
    listed_.emplace(labelled.label, std::move(labelled.profile));
  }
}

const BrowserProfile* ProfileCookieSource::profileOf(const std::string& label) {
  if (!listed_.contains(label)) {
    for (LabelledProfile& labelled : labelledProfiles(findBrowserProfiles()))
      listed_.emplace(labelled.label, std::move(labelled.profile));
  }
  auto it = listed_.find(label);
  return it == listed_.end() ? nullptr : &it->second;
}

// The entries are grouped by profile, so each database is opened, changed in
// one transaction and checkpointed once, and each store of site data is
// edited once. An entry is gone when its site has nothing left in the
// profile: its cookies and its site data.
void ProfileCookieSource::remove(const std::vector<const core::CookieEntry*>& entries,
                                 const core::CookieOptions& options, const core::Progress& progress,
                                 platform::ClearOutcome& outcome, std::vector<bool>& gone) {
  struct Group {
    std::vector<std::size_t> indexes;
    std::vector<std::string> sites;
  };
  std::map<std::string, Group> byLabel;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::string& key = entries[i]->key;
    const std::size_t at = key.find('@');
    if (at == std::string::npos) continue;
    Group& group = byLabel[key.substr(0, at)];
    group.indexes.push_back(i);
    group.sites.push_back(key.substr(at + 1));
  }
  const auto total = static_cast<std::int64_t>(entries.size());
  std::int64_t done = 0;
  std::int64_t cookies = 0;
  std::int64_t siteData = 0;
  auto tell = [&] {
    if (progress) progress(done, total);
  };
  tell();
  for (const auto& [label, group] : byLabel) {
    const BrowserProfile* profile = profileOf(label);
    if (profile) {
      const CookieDeletion deletion = deleteCookieSitesCounted(
          *profile, group.sites, options.vacuum, progress ? std::function<void()>(tell) : nullptr);
      cookies += deletion.cookies;
      const SiteDataRemoval data =
          removeSiteData(*profile, std::set<std::string>(group.sites.begin(), group.sites.end()));
      for (const auto& [site, n] : data.removed) siteData += n;
      for (const SiteDataLeft& kept : data.kept)
        outcome.keep(kept.failure.item, kept.failure.reason);
      std::string reason;
      for (std::size_t k = 0; k < group.indexes.size(); ++k) {
        const std::string& site = group.sites[k];
        const CookieDeleteResult result = deletion.results[k];
        const std::string entry = label + "@" + site;
        if (result == CookieDeleteResult::InUse || result == CookieDeleteResult::Failed) {
          if (reason.empty()) reason = reasonFor(*profile, result);
          outcome.fail(entry, reason);
          continue;
        }
        auto left = std::find_if(data.left.begin(), data.left.end(),
                                 [&](const SiteDataLeft& l) { return l.sites.contains(site); });
        if (left != data.left.end()) {
          outcome.fail(entry, left->failure.item == profile->profileDir
                                  ? left->failure.reason
                                  : "its site data in " + left->failure.item +
                                        " stayed: " + left->failure.reason);
          continue;
        }
        if (result == CookieDeleteResult::Deleted || data.removed.contains(site))
          gone[group.indexes[k]] = true;
      }
    }
    done += static_cast<std::int64_t>(group.indexes.size());
    tell();
  }
  if (cookies > 0 || siteData > 0) {
    outcome.tally("cookie", "cookies", cookies);
    outcome.tally("item of site data", "items of site data", siteData);
  }
}

}  // namespace browsers
