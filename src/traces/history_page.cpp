#include "traces/history_page.h"

#include <utility>
#include <vector>

#include "forms/message_box.h"
#include "identity.h"
#include "traces/ole_date.h"

namespace traces {

namespace {
constexpr const char* kNoHistory = "The history of visited sites cannot be reached.";
constexpr const char* kNotCleared = "The history of visited sites could not be cleared.";
}  // namespace

HistoryPage::HistoryPage(platform::Platform& platform, forms::PageHost host, CURLHistory* history)
    : platform_(platform), host_(host), history_(history) {
  URLs.ColumnHeaders() = {{"Title", 169},        {"URL", 169},     {"Last visited", 169},
                          {"Last Updated", 169}, {"Expires", 169}, {"Flags", 169}};
}

void HistoryPage::loadURLHistory() {
  std::vector<forms::ListItem> lines;
  if (history_) {
    try {
      history_->Refresh();
      lines.reserve(static_cast<std::size_t>(history_->Count()));
      GeneralDateFormat asText;
      for (const URLHistoryItem* entry : *history_) {
        forms::ListItem line;
        line.Text = entry->Title();
        // Built in place: an initializer list would copy every text once more.
        line.SubItems.reserve(5);
        line.SubItems.push_back(entry->URL());
        line.SubItems.push_back(asText(entry->LastVisited()));
        line.SubItems.push_back(asText(entry->LastUpdated()));
        line.SubItems.push_back(asText(entry->Expires()));
        line.SubItems.push_back(std::to_string(entry->Flags()));
        lines.push_back(std::move(line));
      }
    } catch (const HistoryError&) {
      // An unreadable store shows as an empty list, never as a stale one.
      lines.clear();
    }
  }
  URLs.setItems(std::move(lines));
}

void HistoryPage::cmdClearHistory_Click() {
  if (!history_) {
    tellUser(kNoHistory);
    return;
  }
  std::string failure;
  {
    host_.sbar.setPanelText(1, "Clearing History...");
    host_.sbar.Refresh();
    forms::HourglassGuard hourglass(host_.form);
    try {
      history_->Clear();
    } catch (const HistoryError& error) {
      failure = *error.what() ? error.what() : kNotCleared;
    }
    host_.sbar.setPanelText(1, "");
  }
  if (!failure.empty()) tellUser(failure);
}

void HistoryPage::URLs_ColumnClick(int columnPosition1) {
  URLs.setSortKey(columnPosition1 - 1);
  URLs.setSortAscending(true);
  URLs.setSorted(true);
}

void HistoryPage::tellUser(const std::string& text) {
  platform_.msgbox.show(text, forms::vbOKOnly | forms::vbExclamation, identity::kAppTitle);
}

}  // namespace traces
