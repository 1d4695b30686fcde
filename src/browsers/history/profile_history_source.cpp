#include "browsers/history/profile_history_source.h"

#include "browsers/history/history_listing.h"

namespace browsers {

// A database that cannot be read is left out of the list: its browser may be
// writing it, and the next listing sees it again.
bool ProfileHistorySource::list(core::HistoryPlan& plan, std::size_t self, std::string&) {
  if (watch_.refused) {
    const std::vector<platform::ClearFailure> refused = watch_.refused();
    plan.unreached.insert(plan.unreached.end(), refused.begin(), refused.end());
  }
  for (history::HistorySource& source : history::historySources(watch_.profiles())) {
    source.browserRunning = watch_.running(source.profile);
    // A running browser's history is listed from a copy and stays: the plan
    // says so beforehand, as the clearing will.
    std::string stays;
    if (source.browserRunning) {
      stays = history::closeBrowserText(displayName(source.profile));
      plan.unreached.push_back({displayName(source.profile), stays});
    }
    std::unique_ptr<history::SourceCursor> cursor = history::SourceCursor::open(source);
    if (!cursor) continue;
    core::HistoryEntry entry;
    while (cursor->next(entry)) {
      entry.source = self;
      entry.stays = stays;
      plan.entries.push_back(std::move(entry));
      entry = {};
    }
  }
  return true;
}

// Each profile left is its own failure, named by its browser and profile,
// in the words the page shows; what went is told by the area's listing.
platform::ClearOutcome ProfileHistorySource::clear(const core::Progress& progress) {
  history::HistoryChange change = history::changeHistories(watch_, nullptr, progress);
  platform::ClearOutcome outcome;
  outcome.failures = std::move(change.outcome.failures);
  return outcome;
}

}  // namespace browsers
