// The "Browser History" page of the main window: the history area's plan
// over the given sources, or, without any, the system's own store.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/history_area.h"
#include "core/url_history_source.h"
#include "forms/page_host.h"
#include "forms/platform.h"
#include "traces/url_history.h"

namespace traces {

class HistoryPage {
 public:
  // history is the shared instance of the system's store, used when there
  // are no sources, and listed before them when besideStore is set; null
  // when the store could not be created.
  HistoryPage(forms::Platform& platform, forms::PageHost host, CURLHistory* history,
              std::vector<core::HistorySource*> sources = {}, bool besideStore = false);

  forms::Frame Frame4{"Frame4", "Visited Sites"};
  forms::ListView URLs{"URLs"};
  forms::CommandButton cmdClearHistory{"cmdClearHistory", "Clear History"};

  // Refreshes the snapshot and rebuilds the list. A store that cannot be read
  // leaves the list empty without a word: this also runs at start-up.
  void loadURLHistory();
  // Clears the store; the list keeps its lines until the next load. A store
  // that refuses (a browser still running) is explained to the user.
  void cmdClearHistory_Click();
  // Sorts the list by the clicked column (1-based header position), ascending.
  void URLs_ColumnClick(int columnPosition1);

 private:
  void tellUser(const std::string& text);
  std::vector<forms::ListItem> linesOfStore();
  std::vector<forms::ListItem> linesOfPlan();
  // "" when cleared; else what to tell.
  std::string clearStore();
  std::string clearSources();
  void showProgress(std::int64_t done, std::int64_t total);

  forms::Platform& platform_;
  forms::PageHost host_;
  CURLHistory* history_;
  // The system's store as a source, when it is listed beside the sources.
  std::optional<core::UrlHistorySource> storeSource_;
  core::HistoryArea area_;
  bool overSources_;
  bool storeUnreached_;  // the store is to be listed beside the sources but is not there
};

}  // namespace traces
