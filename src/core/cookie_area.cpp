#include "core/cookie_area.h"

namespace core {

std::string hostOfEntry(const CookieEntry& entry) {
  const std::size_t at = entry.file ? entry.name.rfind('@') : entry.name.find('@');
  if (at == std::string::npos) return {};
  std::string host = entry.name.substr(at + 1);
  if (entry.file) {
    host = host.substr(0, host.find('['));
    if (host.ends_with(".txt")) host.resize(host.size() - 4);
  }
  return host;
}

CookiePlan CookieArea::plan(const std::function<bool()>& keepListing) const {
  CookiePlan plan;
  const std::function<bool()> always = [] { return true; };
  for (std::size_t i = 0; i < sources_.size(); ++i)
    sources_[i]->list(plan, i, keepListing ? keepListing : always);
  const KeepList kept = keeping_.list ? keeping_.list() : KeepList();
  // The sites such an entry was meant to keep are not known: the clearing
  // says so each time, rather than pass over it in silence.
  for (const UnreadEntry& entry : kept.unreadable())
    plan.unreached.push_back({"the keep list", entry.reason + "; " + unreadEntryEffect()});
  if (kept.empty()) return plan;
  for (CookieEntry& entry : plan.entries) {
    const std::string keeper = kept.keeperOf(hostOfEntry(entry), keeping_.naming);
    if (!keeper.empty()) entry.kept = keptReason(keeper);
  }
  return plan;
}

platform::ClearOutcome CookieArea::preview(const CookiePlan& plan) {
  platform::ClearOutcome outcome;
  for (const CookieEntry& entry : plan.entries) {
    if (!entry.kept.empty()) {
      outcome.keep(entry.name, entry.kept);
      continue;
    }
    ++outcome.removed;
    outcome.items.push_back(entry.name);
  }
  outcome.failures = plan.unreached;
  return outcome;
}

platform::ClearOutcome CookieArea::apply(const CookiePlan& plan,
                                         const std::vector<std::size_t>& chosen,
                                         const CookieOptions& options, const Progress& progress,
                                         std::vector<bool>* gone) const {
  platform::ClearOutcome outcome;
  std::vector<bool> went(chosen.size(), false);
  // Read anew: a site kept since the plan was made stays too.
  const KeepList keptNow = keeping_.list ? keeping_.list() : KeepList();
  auto keptReasonOf = [&](const CookieEntry& entry) {
    if (!entry.kept.empty() || keptNow.empty()) return entry.kept;
    const std::string keeper = keptNow.keeperOf(hostOfEntry(entry), keeping_.naming);
    return keeper.empty() ? std::string() : keptReason(keeper);
  };
  for (std::size_t s = 0; s < sources_.size(); ++s) {
    std::vector<const CookieEntry*> entries;
    std::vector<std::size_t> at;
    for (std::size_t k = 0; k < chosen.size(); ++k) {
      const CookieEntry& entry = plan.entries.at(chosen[k]);
      if (entry.source != s) continue;
      if (std::string reason = keptReasonOf(entry); !reason.empty()) {
        outcome.keep(entry.name, std::move(reason));
        continue;
      }
      entries.push_back(&entry);
      at.push_back(k);
    }
    if (entries.empty()) continue;
    std::vector<bool> sourceGone(entries.size(), false);
    sources_[s]->remove(entries, options, progress, outcome, sourceGone);
    for (std::size_t k = 0; k < at.size(); ++k) {
      if (!sourceGone[k]) continue;
      went[at[k]] = true;
      ++outcome.removed;
      outcome.items.push_back(entries[k]->name);
    }
  }
  outcome.failures.insert(outcome.failures.end(), plan.unreached.begin(), plan.unreached.end());
  if (gone) *gone = std::move(went);
  return outcome;
}

}  // namespace core
