// The system's own URL history store (the Windows shell's, or a test's
// fake) as a source of the history area: what the program clears when the
// composition gives no browser sources.
#pragma once

#include "core/history_area.h"
#include "platform/url_history.h"

namespace core {

class UrlHistorySource : public HistorySource {
 public:
  explicit UrlHistorySource(platform::UrlHistoryStg& store) : store_(store) {}

  bool list(HistoryPlan& plan, std::size_t self, std::string& problem) override;
  platform::ClearOutcome clear(const Progress& progress) override;

 private:
  platform::UrlHistoryStg& store_;
};

}  // namespace core
