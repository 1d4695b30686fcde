// The "Browser History" page of the main window.
#pragma once

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

  void loadURLHistory();
  void cmdClearHistory_Click();
  void URLs_ColumnClick(int columnPosition1);

 private:
  platform::Platform& platform_;
  forms::PageHost host_;
  CURLHistory* history_;
};

}  // namespace traces
