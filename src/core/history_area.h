// The history area: every visited address of the history stores (the plan)
// and clearing them (applying it). Each store is cleared whole or not at
// all; bookmarked addresses stay by design and are counted as kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/progress.h"
#include "platform/clear_outcome.h"

namespace core {

// One line of the history list.
struct HistoryEntry {
  std::string url;
  std::string title;  // "" when the page has none
  // 100-nanosecond intervals since 1601-01-01 UTC; 0 when the store does not know.
  std::uint64_t lastVisited = 0;
  std::uint64_t lastUpdated = 0;
  std::uint64_t expires = 0;
  std::uint32_t flags = 0;  // the store's own flag word
  std::string browser;      // the browser and profile; "" when the store does not say
  std::size_t source = 0;
  // Why a clearing would leave it (its browser runs); "" when it would go.
  std::string stays = {};
};

struct HistoryPlan {
  std::vector<HistoryEntry> entries;
  // The parts of the stores that exist and cannot be reached, with the reason.
  std::vector<platform::ClearFailure> unreached;
  // Per source: why it could not be read at all; "" when it could.
  std::vector<std::string> problems;
};

class HistorySource {
 public:
  virtual ~HistorySource() = default;
  // Adds its addresses to plan, each with source set to self, and the parts
  // it cannot reach; false with the reason when it cannot be read at all.
  virtual bool list(HistoryPlan& plan, std::size_t self, std::string& problem) = 0;
  // Clears all of its store, or nothing of it (bookmarked addresses stay).
  // What could not be done are the outcome's failures, in words for the user.
  virtual platform::ClearOutcome clear(const Progress& progress) = 0;
};

class HistoryArea {
 public:
  explicit HistoryArea(std::vector<HistorySource*> sources) : sources_(std::move(sources)) {}

  HistoryPlan plan() const;
  // What applying the plan would do: every address removed but those that
  // stay, every unreadable source and unreached part a failure.
  static platform::ClearOutcome preview(const HistoryPlan& plan);
  // Clears every source the plan could read: what went is what the plan
  // listed and the sources no longer hold; what they still hold is kept.
  platform::ClearOutcome apply(const HistoryPlan& plan, const Progress& progress = {}) const;

 private:
  std::vector<HistorySource*> sources_;
};

}  // namespace core
