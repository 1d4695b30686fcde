#include "core/history_area.h"

#include <set>

namespace core {

namespace {

constexpr const char* kStoreName = "the history of visited sites";

// Every URL of the store, in its order; false with the reason when it
// cannot be read.
bool listUrls(platform::UrlHistoryStg& store, std::vector<std::string>& urls,
              std::string& problem) {
  std::unique_ptr<platform::EnumSTATURL> walk;
  platform::HRESULT hr = store.EnumUrls(walk);
  if (hr >= 0 && walk) {
    platform::STATURL record;
    std::uint32_t fetched = 0;
    while ((hr = walk->Next(record, fetched)) == platform::S_OK) urls.push_back(record.url);
    if (hr >= 0) return true;
  }
  problem = store.lastErrorText();
  if (problem.empty()) problem = "it could not be read";
  return false;
}

}  // namespace

HistoryPlan planHistory(platform::UrlHistoryStg& store) {
  HistoryPlan plan;
  listUrls(store, plan.urls, plan.problem);
  plan.unreached = store.unreachedStores();
  return plan;
}

platform::ClearOutcome previewHistory(const HistoryPlan& plan) {
  platform::ClearOutcome outcome;
  if (!plan.problem.empty()) outcome.fail(kStoreName, plan.problem);
  outcome.removed = static_cast<std::int64_t>(plan.urls.size());
  outcome.items = plan.urls;
  outcome.failures.insert(outcome.failures.end(), plan.unreached.begin(), plan.unreached.end());
  return outcome;
}

platform::ClearOutcome applyHistory(platform::UrlHistoryStg& store, const HistoryPlan& plan) {
  platform::ClearOutcome outcome;
  if (!plan.problem.empty()) {
    outcome.fail(kStoreName, plan.problem);
    return outcome;
  }
  if (store.ClearHistory() < 0) {
    const std::string reason = store.lastErrorText();
    outcome.fail(kStoreName, reason.empty() ? "it could not be cleared" : reason);
  }
  std::vector<std::string> left;
  std::string problem;
  if (!listUrls(store, left, problem)) {
    outcome.fail(kStoreName, problem);  // what is left cannot be told; the failure is
    return outcome;
  }
  const std::set<std::string> stayed(left.begin(), left.end());
  for (const std::string& url : plan.urls) {
    if (stayed.count(url) != 0) continue;
    ++outcome.removed;
    outcome.items.push_back(url);
  }
  if (outcome.ok()) outcome.skipped = static_cast<std::int64_t>(plan.urls.size()) - outcome.removed;
  return outcome;
}

platform::ClearOutcome clearHistory(platform::UrlHistoryFactory& factory, bool preview) {
  std::unique_ptr<platform::UrlHistoryStg> store = factory.create();
  if (!store) {
    platform::ClearOutcome outcome;
    outcome.fail(kStoreName, "the history of visited sites cannot be reached");
    return outcome;
  }
  const HistoryPlan plan = planHistory(*store);
  return preview ? previewHistory(plan) : applyHistory(*store, plan);
}

}  // namespace core
