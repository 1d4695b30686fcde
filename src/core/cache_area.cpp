#include "core/cache_area.h"

#include <set>

namespace core {

CachePlan CacheArea::plan() const {
  CachePlan plan;
  for (std::size_t i = 0; i < sources_.size(); ++i) sources_[i]->list(plan, i);
  return plan;
}

platform::ClearOutcome CacheArea::preview(const CachePlan& plan,
                                          const CacheOptions& options) const {
  platform::ClearOutcome outcome;
  std::set<std::string> seen;  // a line again of a URL is gone with the first
  for (const CacheEntry& entry : plan.entries) {
    if (!options.deleteCookieEntries && entry.holdsCookies()) continue;
    std::string line = entry.lineText();
    if (!seen.insert(line).second) continue;
    ++outcome.removed;
    outcome.items.push_back(std::move(line));
  }
  // The entries too damaged to be listed, which a clearing removes too.
  for (CacheSource* source : sources_) outcome.add(source->previewDamaged(options));
  return outcome;
}

platform::ClearOutcome CacheArea::apply(const CachePlan& plan,
                                        const std::vector<std::size_t>& chosen,
                                        const CacheOptions& options, bool all,
                                        const Progress& progress) const {
  platform::ClearOutcome outcome;
  const auto total = static_cast<std::int64_t>(chosen.size());
  std::int64_t told = 0;  // steps told, one per chosen entry, in order
  auto tellUpTo = [&](std::int64_t step) {
    for (; told < step; ++told)
      if (progress) progress(told + 1, total);
  };
  // Runs of consecutive entries of one source go to it together, so the
  // entries are deleted, and the progress told, in the order chosen.
  std::size_t k = 0;
  while (k < chosen.size()) {
    const std::size_t source = plan.entries.at(chosen[k]).source;
    std::vector<const CacheEntry*> entries;
    std::vector<std::int64_t> steps;  // each entry's step among all chosen
    for (; k < chosen.size() && plan.entries.at(chosen[k]).source == source; ++k) {
      const CacheEntry& entry = plan.entries.at(chosen[k]);
      if (!options.deleteCookieEntries && entry.holdsCookies()) continue;
      entries.push_back(&entry);
      steps.push_back(static_cast<std::int64_t>(k) + 1);
    }
    if (!entries.empty() && source < sources_.size()) {
      std::vector<bool> gone(entries.size(), false);
      const Progress step = [&](std::int64_t done, std::int64_t) {
        if (done >= 1) tellUpTo(steps.at(static_cast<std::size_t>(done - 1)));
      };
      sources_[source]->remove(entries, options, step, outcome, gone);
      for (std::size_t e = 0; e < entries.size(); ++e) {
        if (!gone[e]) continue;
        ++outcome.removed;
        outcome.items.push_back(entries[e]->lineText());
      }
    }
    tellUpTo(static_cast<std::int64_t>(k));
  }
  // Entries too damaged to be listed go too, under the same rule for cookies.
  if (all)
    for (CacheSource* source : sources_) outcome.add(source->removeDamaged(options));
  return outcome;
}

}  // namespace core
