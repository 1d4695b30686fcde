// The history area: every visited address of the history store (the plan)
// and clearing the store (applying it). The whole store is cleared or
// nothing is; bookmarked addresses stay by design and are counted as kept.
#pragma once

#include <string>
#include <vector>

#include "platform/clear_outcome.h"
#include "platform/url_history.h"

namespace core {

struct HistoryPlan {
  std::vector<std::string> urls;
  // The parts of the store that exist and cannot be reached, with the reason.
  std::vector<platform::ClearFailure> unreached;
  // Why the store could not be read at all; "" when it could.
  std::string problem;
};

HistoryPlan planHistory(platform::UrlHistoryStg& store);
platform::ClearOutcome previewHistory(const HistoryPlan& plan);
// Clears the store the plan was made of: what went is what the plan listed
// and the store no longer holds; what it still holds is kept (bookmarked).
platform::ClearOutcome applyHistory(platform::UrlHistoryStg& store, const HistoryPlan& plan);

// The same over a store opened from the factory for this run alone.
platform::ClearOutcome clearHistory(platform::UrlHistoryFactory& factory, bool preview);

}  // namespace core
