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
    std::unique_ptr<history::SourceCursor> cursor = history::SourceCursor::open(source);
    if (!cursor) continue;
    core::HistoryEntry entry;
    while (cursor->next(entry)) {
      entry.source = self;
      plan.entries.push_back(std::move(entry));
      entry = {};
    }
  }
  return true;
}

// The whole message is the one failure, in the words the page shows, so
// that a run tells exactly what the page would.
platform::ClearOutcome ProfileHistorySource::clear(const core::Progress& progress) {
  const history::HistoryChange change = history::changeHistories(watch_, nullptr, progress);
  platform::ClearOutcome outcome;
  if (!change.ok()) outcome.fail("the history of visited sites", change.message);
  return outcome;
}

}  // namespace browsers
