#include "traces/history_page.h"

namespace traces {

HistoryPage::HistoryPage(platform::Platform& platform, forms::PageHost host, CURLHistory* history)
    : platform_(platform), host_(host), history_(history) {
  URLs.ColumnHeaders() = {{"Title", 169},        {"URL", 169},     {"Last visited", 169},
                          {"Last Updated", 169}, {"Expires", 169}, {"Flags", 169}};
}

void HistoryPage::loadURLHistory() {}
void HistoryPage::cmdClearHistory_Click() {}
void HistoryPage::URLs_ColumnClick(int columnPosition1) { URLs.setSortKey(columnPosition1 - 1); }

}  // namespace traces
