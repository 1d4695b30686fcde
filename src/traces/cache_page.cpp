#include "traces/cache_page.h"

#include <cstring>
#include <vector>

#include "core/stores.h"
#include "forms/message_box.h"
#include "identity.h"
#include "traces/clear_failures.h"

namespace traces {

CachePage::CachePage(forms::Platform& platform, forms::PageHost host,
                     const forms::CheckBox* secureForAll, std::vector<core::CacheSource*> sources,
                     bool besideUrlCache)
    : platform_(platform),
      host_(host),
      secureForAll_(secureForAll),
      legacy_(platform.urlCache),
      area_(core::sourcesWith<core::CacheSource>(
          sources.empty() || besideUrlCache ? &legacy_ : nullptr, sources)) {
  List1.setColumnHeaders({"URL", "Browser"});
}

core::CacheOptions CachePage::options(bool deleteCookieEntries) const {
  return core::CacheOptions{deleteCookieEntries, secureForAll_ && secureForAll_->Value() == 1};
}

void CachePage::GetCacheURLList() {
  forms::HourglassGuard busy(host_.form);
  List1.Clear();
  plan_ = area_.plan();
  // Shown in one change when the walk ends.
  std::vector<std::string> names;
  std::vector<std::vector<std::string>> browsers;
  for (const core::CacheEntry& entry : plan_.entries) {
    names.push_back(entry.url);
    browsers.push_back({entry.browser});
  }
  List1.setItems(std::move(names), std::move(browsers));
}

void CachePage::loadCacheContents() {
  GetCacheURLList();
}

std::string CachePage::GetStrFromPtrA(const char* address) {
  if (!address) return {};
  return std::string(address, std::strlen(address));
}

core::CachePlan CachePage::listed() const {
  core::CachePlan plan;
  for (std::int64_t i = 0; i < List1.ListCount(); ++i) {
    const std::vector<std::string>& details = List1.Details(i);
    core::CacheEntry entry{List1.List(i), details.empty() ? std::string() : details.front()};
    // A row is the listing's entry, whose source deletes it.
    const auto row = static_cast<std::size_t>(i);
    if (row < plan_.entries.size() && plan_.entries[row].url == entry.url &&
        plan_.entries[row].browser == entry.browser)
      entry.source = plan_.entries[row].source;
    plan.entries.push_back(std::move(entry));
  }
  return plan;
}

platform::ClearOutcome CachePage::previewDeletecache() const {
  return area_.preview(listed(), options(chkDelCachedPasswords.Value() == 1));
}

void CachePage::deletecache(platform::ClearOutcome* outcome) {
  platform::ClearOutcome result;
  {
    forms::HourglassGuard busy(host_.form);
    const core::CachePlan plan = listed();
    std::vector<std::size_t> all(plan.entries.size());
    for (std::size_t k = 0; k < all.size(); ++k) all[k] = k;
    // The view repaints the status bar as the progress changes.
    result = area_.apply(
        plan, all, options(chkDelCachedPasswords.Value() == 1), true,
        [this](std::int64_t done, std::int64_t total) { host_.sbar.setProgress(done, total); });
    host_.sbar.setProgress(0, 0);
    GetCacheURLList();
  }
  if (outcome) outcome->add(result);
  lastOutcome_ = std::move(result);
}

void CachePage::tellFailures(const platform::ClearOutcome& outcome) {
  if (outcome.ok()) return;
  const std::size_t n = outcome.failures.size();
  platform_.msgbox.show(
      notClearedText(std::to_string(n) + (n == 1 ? " cache entry was" : " cache entries were") +
                         " not deleted:",
                     outcome, "entry", "entries"),
      forms::vbOKOnly | forms::vbExclamation, identity::kAppTitle);
}

void CachePage::invertsel() {
  const std::int64_t count = List1.ListCount();
  std::vector<bool> selection(static_cast<std::size_t>(count));
  for (std::int64_t i = 0; i < count; ++i)
    selection[static_cast<std::size_t>(i)] = !List1.Selected(i);
  List1.setSelection(std::move(selection));
}

void CachePage::cmdDelSelFromCache_Click() {
  // Every selected entry goes, not only the focused one; none selected deletes nothing.
  platform::ClearOutcome outcome;
  {
    forms::HourglassGuard busy(host_.form);
    const core::CachePlan plan = listed();
    std::vector<std::size_t> chosen;
    for (std::int64_t i = List1.ListCount() - 1; i >= 0; --i)
      if (List1.Selected(i)) chosen.push_back(static_cast<std::size_t>(i));
    outcome = area_.apply(plan, chosen, options(true), false);
  }
  GetCacheURLList();
  tellFailures(outcome);
}

void CachePage::cmdDelAllFromCache_Click() {
  host_.sbar.setPanelText(1, "Clearing cache...");
  deletecache();
  host_.sbar.setPanelText(1, "");
  tellFailures(lastOutcome_);
}

void CachePage::cmdinvertcachesel_Click() {
  invertsel();
}

}  // namespace traces
