#include "traces/cookies_page.h"

#include <algorithm>
#include <map>
#include <vector>

#include "core/stores.h"
#include "forms/message_box.h"
#include "identity.h"
#include "traces/clear_failures.h"
#include "traces/mod_reg.h"

namespace traces {

namespace {
constexpr const char* kShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kIndexFile = "index.dat";
}  // namespace

CookiesPage::CookiesPage(forms::Platform& platform, forms::PageHost host, bool& showIndexDat,
                         const forms::CheckBox& secureForAll, const core::Stores& stores)
    : platform_(platform),
      host_(host),
      showIndexDat_(showIndexDat),
      secureForAll_(secureForAll),
      folderSource_(platform.files,
                    [&platform] {
                      // A value that cannot be read is told by the registry
                      // routine itself, once per listing.
                      return GetRegValue(platform, platform::HKEY_CURRENT_USER, kShellFoldersKey,
                                         "Cookies");
                    }),
      naming_(stores.naming),
      keptByBrowsers_(stores.keptByBrowsers),
      area_(core::sourcesWith<core::CookieSource>(
                stores.withSystemStore(stores.cookies) ? &folderSource_ : nullptr, stores.cookies),
            core::SiteKeeping{[&platform, naming = stores.naming] {
                                return core::readKeepList(platform.settings, naming);
                              },
                              naming_}),
      folderOnly_(stores.cookies.empty()) {
  lstcookies.ColumnHeaders() = {{"Cookie Name", 0}, {"Cookie Path", 0}};
  cmdimportkeptsites.setEnabled(static_cast<bool>(keptByBrowsers_));
}

void CookiesPage::loadCookiesList() {
  const std::uint64_t listing = ++listings_;
  lstcookies.Clear();
  forms::HourglassGuard hourglass(host_.form);
  // The interface stays live while a large store is listed. A click that
  // lists anew (a deletion, the tab) makes this listing moot.
  core::CookiePlan plan = area_.plan([this, listing] {
    platform_.windows.doEvents();
    return listings_ == listing;
  });
  if (listings_ != listing) return;
  loadKeptSites();
  cookieFolder_ = plan.folder;
  txtCookieDir.setText(cookieFolder_);
  plan_ = std::move(plan);
  EnumCookies(plan_);
}

void CookiesPage::EnumCookies(const core::CookiePlan& plan) {
  for (const core::CookieEntry& entry : plan.entries) {
    if (entry.file && entry.name == kIndexFile && !showIndexDat_) continue;
    std::int64_t index =
        lstcookies.Add(entry.kept.empty() ? entry.name : entry.name + " (kept)", entry.key);
    lstcookies.setSubItem(index, 1, entry.location);
  }
  if (lstcookies.Count() > 0) lstcookies.setSelected(lstcookies.Count(), true);
}

std::vector<std::int64_t> CookiesPage::listedEntries(bool selectedOnly,
                                                     std::vector<std::size_t>& entries) const {
  std::map<std::string, std::size_t> byKey;
  for (std::size_t k = 0; k < plan_.entries.size(); ++k) byKey.emplace(plan_.entries[k].key, k);
  std::vector<std::int64_t> items;
  for (std::int64_t i = lstcookies.Count(); i >= 1; --i) {
    const forms::ListItem& item = lstcookies.Item(i);
    if (item.Text.empty() || (selectedOnly && !item.Selected)) continue;
    auto at = byKey.find(item.Key);
    if (at == byKey.end()) continue;
    items.push_back(i);
    entries.push_back(at->second);
  }
  return items;
}

platform::ClearOutcome CookiesPage::previewDeletecookies() const {
  core::CookiePlan shown;
  shown.unreached = plan_.unreached;  // what the clearing would leave and tell
  std::vector<std::size_t> entries;
  listedEntries(false, entries);
  for (std::size_t k : entries) shown.entries.push_back(plan_.entries[k]);
  return core::CookieArea::preview(shown);
}

void CookiesPage::deletecookies(bool ask, platform::ClearOutcome* outcome) {
  showIndexDat_ = false;
  if (ask &&
      platform_.msgbox.show("Are you sure you wish to delete the selected cookies?",
                            forms::vbYesNo | forms::vbQuestion, "Delete Cookies") != forms::vbYes)
    return;
  platform::ClearOutcome result;
  {
    forms::HourglassGuard hourglass(host_.form);
    std::vector<std::size_t> chosen;
    const std::vector<std::int64_t> items = listedEntries(ask, chosen);
    // The status bar shows the progress (the view repaints it at most every
    // few tens of milliseconds), also while SQLite works on one database.
    auto progress = [this](std::int64_t done, std::int64_t total) {
      host_.sbar.setProgress(done, total);
    };
    std::vector<bool> gone;
    // Called with nothing chosen too: the stores the listing could not reach
    // are told, which no list shows.
    result = area_.apply(plan_, chosen, core::CookieOptions{secureForAll_.Value() == 1}, progress,
                         &gone);
    host_.sbar.setProgress(0, 0);
    for (std::size_t k = 0; k < items.size(); ++k)
      if (gone[k]) lstcookies.Remove(items[k]);
  }
  // The automatic run stays quiet: its caller reads the outcome.
  if (ask && !result.ok()) {
    const bool sites = !folderOnly_;
    const std::string n = std::to_string(result.failures.size());
    const bool one = result.failures.size() == 1;
    const std::string heading =
        sites ? "The cookies of " + n + (one ? " site" : " sites") + " were not deleted:"
              : n + (one ? " cookie file was" : " cookie files were") + " not deleted:";
    platform_.msgbox.show(
        notClearedText(heading, result, sites ? "site" : "file", sites ? "sites" : "files"),
        forms::vbOKOnly | forms::vbExclamation, identity::kAppTitle);
  }
  if (outcome) outcome->add(result);
}

void CookiesPage::giveListed(core::GivenPlans& given) {
  given.chosenCookies.clear();
  runItems_ = listedEntries(false, given.chosenCookies);
  // In the list's order, so that the report reads as the list does.
  std::reverse(runItems_.begin(), runItems_.end());
  std::reverse(given.chosenCookies.begin(), given.chosenCookies.end());
  runGone_.clear();
  given.cookies = &plan_;
  given.cookiesGone = &runGone_;
}

void CookiesPage::afterRun() {
  showIndexDat_ = false;
  // Last first, so that removing one does not shift those still to come.
  for (std::size_t k = std::min(runItems_.size(), runGone_.size()); k-- > 0;)
    if (runGone_[k]) lstcookies.Remove(runItems_[k]);
  runItems_.clear();
  runGone_.clear();
}

void CookiesPage::cmddelcookies_Click() {
  host_.sbar.setPanelText(1, "Deleting cookies...");
  deletecookies(true);
  loadCookiesList();
  host_.sbar.setPanelText(1, "");
}

void CookiesPage::cmdselectallcookies_Click() {
  const std::int64_t count = lstcookies.Count();
  for (std::int64_t i = 1; i <= count; ++i) lstcookies.setSelected(i, true);
  lstcookies.SetFocus();
}

void CookiesPage::cmdselectnocookies_Click() {
  const std::int64_t count = lstcookies.Count();
  for (std::int64_t i = 1; i <= count; ++i) lstcookies.setSelected(i, false);
}

void CookiesPage::cmdinvertcookiesselection_Click() {
  const std::int64_t count = lstcookies.Count();
  for (std::int64_t i = 1; i <= count; ++i) lstcookies.setSelected(i, !lstcookies.Item(i).Selected);
  lstcookies.SetFocus();
}

void CookiesPage::loadKeptSites() {
  const core::KeepList list = core::readKeepList(platform_.settings, naming_);
  keptEntries_ = list.sites();
  std::vector<std::string> items = list.sites();
  for (const core::UnreadEntry& entry : list.unreadable()) {
    keptEntries_.push_back(entry.text);
    items.push_back(entry.text + " (not understood)");
  }
  lstkeptsites.setItems(items);
}

bool CookiesPage::changeKeepList(const std::function<void(core::KeepList&)>& edit) {
  const platform::SettingsSaved saved = core::changeKeepList(platform_.settings, naming_, edit);
  if (!saved.ok())
    platform_.msgbox.show("The sites to keep could not be saved: " + saved.error,
                          forms::vbOKOnly | forms::vbExclamation, identity::kAppTitle);
  loadCookiesList();
  return saved.ok();
}

void CookiesPage::cmdkeepcookies_Click() {
  std::vector<std::size_t> entries;
  listedEntries(true, entries);
  if (entries.empty()) return;
  std::vector<std::string> sites;
  std::string refused;
  for (auto k = entries.rbegin(); k != entries.rend(); ++k) {
    const core::CookieEntry& entry = plan_.entries[*k];
    const core::KeptSite site = core::keptSiteOf(core::hostOfEntry(entry), naming_);
    if (site.ok())
      sites.push_back(site.site);
    else
      refused += "\n" + entry.name;
  }
  const bool saved = changeKeepList([&sites](core::KeepList& list) {
    for (const std::string& site : sites) list.add(site);
  });
  if (saved && !refused.empty())
    platform_.msgbox.show("These cookies belong to no site that can be kept:" + refused,
                          forms::vbOKOnly | forms::vbExclamation, identity::kAppTitle);
}

void CookiesPage::cmdunkeepsites_Click() {
  std::vector<std::string> chosen;
  for (std::int64_t i = 0; i < lstkeptsites.ListCount(); ++i)
    if (lstkeptsites.Selected(i) && static_cast<std::size_t>(i) < keptEntries_.size())
      chosen.push_back(keptEntries_[static_cast<std::size_t>(i)]);
  if (chosen.empty()) return;
  changeKeepList([&chosen](core::KeepList& list) {
    for (const std::string& entry : chosen)
      if (!list.remove(entry)) list.removeUnreadable(entry);
  });
}

void CookiesPage::cmdimportkeptsites_Click() {
  if (!keptByBrowsers_) return;
  core::BrowserKeptSites found;
  {
    forms::HourglassGuard hourglass(host_.form);
    found = keptByBrowsers_();
  }
  std::vector<std::string> added;
  if (!changeKeepList(
          [&](core::KeepList& list) { added = core::addKeptSites(list, found.names, naming_); }))
    return;
  std::string text = added.empty()
                         ? std::string("The browsers keep no site that is not on the list already.")
                         : std::to_string(added.size()) +
                               (added.size() == 1 ? " site was" : " sites were") +
                               " added to the sites to keep:";
  for (const std::string& site : added) text += "\n" + site;
  for (const std::string& problem : found.problems) text += "\n\n" + problem;
  platform_.msgbox.show(
      text,
      forms::vbOKOnly | (found.problems.empty() ? forms::vbInformation : forms::vbExclamation),
      identity::kAppTitle);
}

}  // namespace traces
