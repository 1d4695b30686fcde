#include "browsers/cookies/profile_cookie_source.h"

#include <algorithm>
#include <chrono>
#include <ctime>
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

timespec now() {
  const auto since = std::chrono::system_clock::now().time_since_epoch();
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since);
  timespec t{};
  t.tv_sec = static_cast<std::time_t>(seconds.count());
  t.tv_nsec = static_cast<long>(std::chrono::nanoseconds(since - seconds).count());
  return t;
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
  const timespec start = now();
  ProfileSearch search = searchBrowserProfiles();
  // A folder of profiles that may not be entered is told with every plan:
  // its cookies exist and stay.
  plan.unreached.insert(plan.unreached.end(), search.refused.begin(), search.refused.end());
  listed_.clear();
  unreached_.clear();
  // No one folder holds the browsers' cookies: the page's folder box names
  // the folders of the browsers' profiles, each once.
  std::set<std::string> roots;
  for (const BrowserProfile& profile : search.profiles) {
    const std::string root = platform::folderOf(profile.profileDir);
    if (!roots.insert(root).second) continue;
    plan.folder += (plan.folder.empty() ? "" : "; ") + root;
  }
  for (LabelledProfile& labelled : labelledProfiles(search.profiles)) {
    removeStaleSiteDataTemporaries(labelled.profile, start);
    const std::string database = cookieDatabasePath(labelled.profile);
    CookieSites listed = listCookieSites(labelled.profile);
    if (!listed.problem.empty()) plan.unreached.push_back({database, std::move(listed.problem)});
    // A site that stored data through scripts and has no cookie is listed
    // too: its entry removes that data. The stores themselves name the
    // sites, so a site whose removal was cut short is listed again.
    SiteDataListing data = listSiteData(labelled.profile);
    for (platform::ClearFailure& store : data.unreached) {
      unreached_.insert(store.item);
      plan.unreached.push_back(std::move(store));
    }
    std::set<std::string> sites = std::move(data.sites);
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
// edited once. A site's data goes first, its cookies last. An entry is gone
// when its site has nothing left in the profile: its cookies and its site
// data; what stayed is found again by the next listing, from the stores
// that hold it.
void ProfileCookieSource::remove(const std::vector<const core::CookieEntry*>& entries,
                                 const core::CookieOptions& options, const core::Progress& progress,
                                 platform::ClearOutcome& outcome, std::vector<bool>& gone) {
  const timespec start = now();
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
  Tally tally;
  auto tell = [&] {
    if (progress) progress(done, total);
  };
  tell();
  std::set<std::string> swept;
  for (const auto& [label, profile] : listed_)
    if (swept.insert(profile.profileDir).second) removeStaleSiteDataTemporaries(profile, start);
  for (const auto& [label, group] : byLabel) {
    if (const BrowserProfile* profile = profileOf(label)) {
      if (swept.insert(profile->profileDir).second) removeStaleSiteDataTemporaries(*profile, start);
      removeProfileSites(*profile, label, group.sites, group.indexes, options,
                         progress ? std::function<void()>(tell) : nullptr, outcome, gone, tally);
    }
    done += static_cast<std::int64_t>(group.indexes.size());
    tell();
  }
  if (tally.cookies > 0 || tally.siteData > 0) {
    outcome.tally("cookie", "cookies", tally.cookies);
    outcome.tally("item of site data", "items of site data", tally.siteData);
  }
}

void ProfileCookieSource::removeProfileSites(
    const BrowserProfile& profile, const std::string& label, const std::vector<std::string>& sites,
    const std::vector<std::size_t>& indexes, const core::CookieOptions& options,
    const std::function<void()>& busy, platform::ClearOutcome& outcome, std::vector<bool>& gone,
    Tally& tally) {
  const SiteDataRemoval data =
      removeSiteData(profile, std::set<std::string>(sites.begin(), sites.end()));
  const CookieDeletion deletion = deleteCookieSitesCounted(profile, sites, options.vacuum, busy);
  tally.cookies += deletion.cookies;
  for (const auto& [site, n] : data.removed) tally.siteData += n;
  for (const SiteDataLeft& kept : data.kept) outcome.keep(kept.failure.item, kept.failure.reason);
  // What no one site stands for (a store an earlier run left aside and that
  // could not be put back) is told on its own.
  for (const SiteDataLeft& left : data.left)
    if (left.sites.empty() && !unreached_.contains(left.failure.item))
      outcome.fail(left.failure.item, left.failure.reason);
  std::string reason;
  for (std::size_t k = 0; k < indexes.size(); ++k) {
    const std::string& site = sites[k];
    const CookieDeleteResult result = deletion.results[k];
    const std::string entry = label + "@" + site;
    if (result == CookieDeleteResult::InUse || result == CookieDeleteResult::Failed) {
      if (reason.empty()) reason = reasonFor(profile, result);
      outcome.fail(entry, reason);
      continue;
    }
    auto left = std::find_if(data.left.begin(), data.left.end(),
                             [&](const SiteDataLeft& l) { return l.sites.contains(site); });
    if (left != data.left.end()) {
      outcome.fail(entry, left->failure.item == profile.profileDir
                              ? left->failure.reason
                              : "its site data in " + left->failure.item +
                                    " stayed: " + left->failure.reason);
      continue;
    }
    if (result == CookieDeleteResult::Deleted || data.removed.contains(site))
      gone[indexes[k]] = true;
  }
}

}  // namespace browsers
