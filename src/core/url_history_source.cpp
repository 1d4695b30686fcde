#include "core/url_history_source.h"

namespace core {

namespace {

HistoryEntry entryOf(platform::STATURL&& record, std::size_t source) {
  HistoryEntry entry;
  entry.url = std::move(record.url);
  entry.title = std::move(record.title);
  entry.lastVisited = record.ftLastVisited.value;
  entry.lastUpdated = record.ftLastUpdated.value;
  entry.expires = record.ftExpires.value;
  entry.flags = record.dwFlags;
  entry.browser = std::move(record.browser);
  entry.source = source;
  return entry;
}

}  // namespace

bool UrlHistorySource::list(HistoryPlan& plan, std::size_t self, std::string& problem) {
  std::unique_ptr<platform::EnumSTATURL> walk;
  platform::HRESULT hr = store_.EnumUrls(walk);
  if (hr >= 0 && walk) {
    platform::STATURL record;
    std::uint32_t fetched = 0;
    while ((hr = walk->Next(record, fetched)) == platform::S_OK)
      plan.entries.push_back(entryOf(std::move(record), self));
    if (hr >= 0) return true;
  }
  problem = store_.lastErrorText();
  return false;
}

platform::ClearOutcome UrlHistorySource::clear(const Progress& /*progress*/) {
  // The system's store tells no progress: the clearing is one call.
  platform::ClearOutcome outcome;
  if (store_.ClearHistory() < 0) {
    const std::string reason = store_.lastErrorText();
    outcome.fail("the history of visited sites",
                 reason.empty() ? "it could not be cleared" : reason);
  }
  return outcome;
}

}  // namespace core
