#include "traces/history_page.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "forms/message_box.h"
#include "identity.h"
#include "traces/ole_date.h"

namespace traces {

namespace {
constexpr const char* kNoHistory = "The history of visited sites cannot be reached.";
constexpr const char* kNotCleared = "The history of visited sites could not be cleared.";

// Column widths follow the texts: about this many pixels a character, with
// room for the margins, between the header's width and a cap that keeps a
// very long title or URL from pushing the other columns out of sight.
constexpr int kPixelsPerChar = 7;
constexpr int kColumnMargin = 16;
constexpr int kWidestColumn = 560;

// A date column's text; a time the store does not know stays blank.
std::string dateText(GeneralDateFormat& asText, std::uint64_t fileTime, double date) {
  return fileTime == 0 ? std::string() : asText(date);
}

void fitColumns(std::vector<forms::ColumnHeader>& columns,
                const std::vector<forms::ListItem>& lines) {
  std::vector<std::size_t> longest(columns.size(), 0);
  for (std::size_t c = 0; c < columns.size(); ++c) longest[c] = columns[c].Text.size();
  for (const forms::ListItem& line : lines) {
    longest[0] = std::max(longest[0], line.Text.size());
    for (std::size_t c = 1; c < columns.size() && c - 1 < line.SubItems.size(); ++c)
      longest[c] = std::max(longest[c], line.SubItems[c - 1].size());
  }
  for (std::size_t c = 0; c < columns.size(); ++c)
    columns[c].Width = static_cast<int>(
        std::min<std::size_t>(longest[c] * kPixelsPerChar + kColumnMargin, kWidestColumn));
}

}  // namespace

HistoryPage::HistoryPage(platform::Platform& platform, forms::PageHost host, CURLHistory* history)
    : platform_(platform), host_(host), history_(history) {
  URLs.ColumnHeaders() = {{"Title", 169},        {"URL", 169},     {"Last visited", 169},
                          {"Last Updated", 169}, {"Expires", 169}, {"Flags", 169},
                          {"Browser", 169}};
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
        const platform::STATURL& record = entry->Record();
        line.SubItems.reserve(6);
        line.SubItems.push_back(entry->URL());
        line.SubItems.push_back(dateText(asText, record.ftLastVisited.value, entry->LastVisited()));
        line.SubItems.push_back(dateText(asText, record.ftLastUpdated.value, entry->LastUpdated()));
        line.SubItems.push_back(dateText(asText, record.ftExpires.value, entry->Expires()));
        line.SubItems.push_back(std::to_string(entry->Flags()));
        line.SubItems.push_back(entry->Browser());
        lines.push_back(std::move(line));
      }
    } catch (const HistoryError&) {
      // An unreadable store shows as an empty list, never as a stale one.
      lines.clear();
    }
  }
  // The widths change with the lines, in the one change that setItems tells.
  fitColumns(URLs.ColumnHeaders(), lines);
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
    history_->setProgress([this](std::int64_t done, std::int64_t total) {
      host_.sbar.setProgress(done, total);
      host_.sbar.Refresh();
      host_.form.Refresh();
    });
    try {
      history_->Clear();
    } catch (const HistoryError& error) {
      failure = *error.what() ? error.what() : kNotCleared;
    }
    history_->setProgress({});
    host_.sbar.setProgress(0, 0);
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
