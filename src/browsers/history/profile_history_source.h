// The histories of every browser profile of the user, as a source of the
// history area. Listing reads each database where it lies while its browser
// is closed, and a private copy while the browser runs or holds it locked;
// clearing changes each profile whole or not at all, on its own
// (history_change.h).
#pragma once

#include "browsers/history/history_change.h"
#include "core/history_area.h"

namespace browsers {

class ProfileHistorySource : public core::HistorySource {
 public:
  explicit ProfileHistorySource(history::ProfileWatch watch = {}) : watch_(std::move(watch)) {}

  bool list(core::HistoryPlan& plan, std::size_t self, std::string& problem) override;
  platform::ClearOutcome clear(const core::Progress& progress) override;

 private:
  history::ProfileWatch watch_;
};

}  // namespace browsers
