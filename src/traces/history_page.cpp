#include "traces/history_page.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "core/stores.h"
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

std::string dateText(GeneralDateFormat& asText, std::uint64_t fileTime) {
  return dateText(asText, fileTime, fileTimeToLocalDateValue(fileTime));
}

forms::ListItem lineOf(std::string title, std::string url, std::string visited, std::string updated,
                       std::string expires, std::uint32_t flags, std::string browser) {
  forms::ListItem line;
  line.Text = std::move(title);
  // Built in place: an initializer list would copy every text once more.
  line.SubItems.reserve(6);
  line.SubItems.push_back(std::move(url));
  line.SubItems.push_back(std::move(visited));
  line.SubItems.push_back(std::move(updated));
  line.SubItems.push_back(std::move(expires));
  line.SubItems.push_back(std::to_string(flags));
  line.SubItems.push_back(std::move(browser));
  return line;
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

HistoryPage::HistoryPage(forms::Platform& platform, forms::PageHost host, CURLHistory* history,
                         std::vector<core::HistorySource*> sources, bool besideStore)
    : platform_(platform),
      host_(host),
      history_(history),
      area_(sources),
      overSources_(!sources.empty()),
      storeUnreached_(overSources_ && besideStore && !history) {
  if (overSources_ && besideStore && history) {
    storeSource_.emplace(history->store());
    area_ = core::HistoryArea(core::sourcesWith<core::HistorySource>(&*storeSource_, sources));
  }
  URLs.ColumnHeaders() = {{"Title", 169},        {"URL", 169},     {"Last visited", 169},
                          {"Last Updated", 169}, {"Expires", 169}, {"Flags", 169},
                          {"Browser", 169}};
}

std::vector<forms::ListItem> HistoryPage::linesOfStore() {
  std::vector<forms::ListItem> lines;
  if (!history_) return lines;
  try {
    history_->Refresh();
    lines.reserve(static_cast<std::size_t>(history_->Count()));
    GeneralDateFormat asText;
    for (const URLHistoryItem* entry : *history_) {
      const platform::STATURL& record = entry->Record();
      lines.push_back(lineOf(entry->Title(), entry->URL(),
                             dateText(asText, record.ftLastVisited.value, entry->LastVisited()),
                             dateText(asText, record.ftLastUpdated.value, entry->LastUpdated()),
                             dateText(asText, record.ftExpires.value, entry->Expires()),
                             entry->Flags(), entry->Browser()));
    }
  } catch (const HistoryError&) {
    // An unreadable store shows as an empty list, never as a stale one.
    lines.clear();
  }
  return lines;
}

// The plan's texts move into the lines: a clearing makes a plan of its own.
std::vector<forms::ListItem> HistoryPage::linesOfPlan() {
  core::HistoryPlan plan = area_.plan();
  std::vector<forms::ListItem> lines;
  lines.reserve(plan.entries.size());
  GeneralDateFormat asText;
  for (core::HistoryEntry& entry : plan.entries)
    lines.push_back(lineOf(std::move(entry.title), std::move(entry.url),
                           dateText(asText, entry.lastVisited), dateText(asText, entry.lastUpdated),
                           dateText(asText, entry.expires), entry.flags, std::move(entry.browser)));
  return lines;
}

void HistoryPage::loadURLHistory() {
  std::vector<forms::ListItem> lines = overSources_ ? linesOfPlan() : linesOfStore();
  // The widths change with the lines, in the one change that setItems tells.
  fitColumns(URLs.ColumnHeaders(), lines);
  URLs.setItems(std::move(lines));
}

void HistoryPage::cmdClearHistory_Click() {
  if (!overSources_ && !history_) {
    tellUser(kNoHistory);
    return;
  }
  std::string failure;
  {
    host_.sbar.setPanelText(1, "Clearing History...");
    host_.sbar.Refresh();
    forms::HourglassGuard hourglass(host_.form);
    failure = overSources_ ? clearSources() : clearStore();
    host_.sbar.setProgress(0, 0);
    host_.sbar.setPanelText(1, "");
  }
  if (!failure.empty()) tellUser(failure);
}

std::string HistoryPage::clearStore() {
  std::string failure;
  try {
    history_->Clear();
  } catch (const HistoryError& error) {
    failure = *error.what() ? error.what() : kNotCleared;
  }
  return failure;
}

// The list keeps its lines until the next load, as over the system's store.
std::string HistoryPage::clearSources() {
  const platform::ClearOutcome outcome = area_.apply(
      area_.plan(), [this](std::int64_t done, std::int64_t total) { showProgress(done, total); });
  std::string failure = storeUnreached_ ? kNoHistory : "";
  for (const platform::ClearFailure& each : outcome.failures)
    failure += (failure.empty() ? "" : "\n") + (each.reason.empty() ? kNotCleared : each.reason);
  return failure;
}

void HistoryPage::showProgress(std::int64_t done, std::int64_t total) {
  host_.sbar.setProgress(done, total);
  host_.sbar.Refresh();
  host_.form.Refresh();
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
