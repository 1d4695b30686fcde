#include "core/history_area.h"

#include <set>
#include <tuple>

namespace core {

namespace {

constexpr const char* kStoreName = "the history of visited sites";

}  // namespace

HistoryPlan HistoryArea::plan() const {
  HistoryPlan plan;
  plan.problems.resize(sources_.size());
  for (std::size_t i = 0; i < sources_.size(); ++i) {
    if (sources_[i]->list(plan, i, plan.problems[i])) continue;
    if (plan.problems[i].empty()) plan.problems[i] = "it could not be read";
  }
  return plan;
}

platform::ClearOutcome HistoryArea::preview(const HistoryPlan& plan) {
  platform::ClearOutcome outcome;
  for (const std::string& problem : plan.problems)
    if (!problem.empty()) outcome.fail(kStoreName, problem);
  for (const HistoryEntry& entry : plan.entries) {
    if (!entry.stays.empty()) continue;
    ++outcome.removed;
    outcome.items.push_back(entry.url);
  }
  outcome.failures.insert(outcome.failures.end(), plan.unreached.begin(), plan.unreached.end());
  return outcome;
}

platform::ClearOutcome HistoryArea::apply(const HistoryPlan& plan, const Progress& progress) const {
  platform::ClearOutcome outcome;
  std::vector<bool> cleared(sources_.size(), false);
  for (std::size_t i = 0; i < sources_.size(); ++i) {
    if (i < plan.problems.size() && !plan.problems[i].empty()) {
      outcome.fail(kStoreName, plan.problems[i]);
      continue;
    }
    const platform::ClearOutcome done = sources_[i]->clear(progress);
    outcome.failures.insert(outcome.failures.end(), done.failures.begin(), done.failures.end());
    cleared[i] = true;
  }
  // What went is told by what is left: a store keeps what it must.
  HistoryPlan left;
  std::vector<std::string> problems(sources_.size());
  for (std::size_t i = 0; i < sources_.size(); ++i) {
    if (!cleared[i] || sources_[i]->list(left, i, problems[i])) continue;
    outcome.fail(kStoreName, problems[i].empty() ? "it could not be read" : problems[i]);
    return outcome;  // what is left cannot be told; the failure is
  }
  // One source may hold the same address for several browsers.
  std::set<std::tuple<std::size_t, std::string, std::string>> stayed;
  for (const HistoryEntry& entry : left.entries)
    stayed.insert({entry.source, entry.browser, entry.url});
  std::int64_t listed = 0;
  for (const HistoryEntry& entry : plan.entries) {
    if (entry.source >= cleared.size() || !cleared[entry.source]) continue;
    ++listed;
    if (stayed.count({entry.source, entry.browser, entry.url}) != 0) continue;
    ++outcome.removed;
    outcome.items.push_back(entry.url);
  }
  if (outcome.ok()) outcome.skipped = listed - outcome.removed;
  return outcome;
}

}  // namespace core
