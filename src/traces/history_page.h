// The "Browser History" page of the main window.
#pragma once

#include <string>

#include "forms/page_host.h"
#include "platform/platform.h"
#include "traces/url_history.h"

namespace traces {

class HistoryPage {
 public:
  // history is the shared instance; null when the store could not be created.
  HistoryPage(platform::Platform& platform, forms::PageHost host, CURLHistory* history);

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

  platform::Platform& platform_;
  forms::PageHost host_;
  CURLHistory* history_;
};

}  // namespace traces
