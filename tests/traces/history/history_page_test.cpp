// The "Browser History" page over the shared history instance, and over the
// history area's sources.
#include "traces/history_page.h"

#include <gtest/gtest.h>
#include <time.h>

#include "forms/fake/fake_platform.h"
#include "forms/form.h"
#include "identity.h"
#include "memory_store.h"
#include "temp_dir.h"

namespace {

using historytest::MemoryStore;
using historytest::MemoryStoreState;
using historytest::record;

// 2026-01-02 03:04:05.678901 UTC.
constexpr std::uint64_t kVisited = 134117966456789010;

class HistoryPageTest : public ::testing::Test {
 protected:
  HistoryPageTest() { tzset(); }
  ~HistoryPageTest() override {
    page.reset();
    history.reset();
  }
  void open(bool withStore = true) {
    if (withStore)
      history = std::make_unique<traces::CURLHistory>(std::make_unique<MemoryStore>(state));
    page =
        std::make_unique<traces::HistoryPage>(*bundle, forms::PageHost{form, sbar}, history.get());
  }

  testsupport::EnvGuard tz{"TZ", "UTC"};
  testsupport::EnvGuard lang{"LC_ALL", "C"};
  forms::fake::FakePlatform fakes;
  std::unique_ptr<forms::Platform> bundle = std::make_unique<forms::Platform>(fakes.platform());
  forms::Form form{"frmmain"};
  forms::StatusBar sbar{"sbar", 2};
  MemoryStoreState state;
  std::unique_ptr<traces::CURLHistory> history;
  std::unique_ptr<traces::HistoryPage> page;
};

TEST_F(HistoryPageTest, LoadListsEveryEntryInSevenColumns) {
  platform::STATURL full = record("https://a.example/", "Page A", kVisited);
  full.dwFlags = 3;
  state.records = {full, record("https://untitled.example/", nullptr, kVisited)};
  open();
  page->loadURLHistory();
  ASSERT_EQ(page->URLs.ColumnHeaders().size(), 7u);
  EXPECT_EQ(page->URLs.ColumnHeaders()[3].Text, "Last Updated");
  EXPECT_EQ(page->URLs.ColumnHeaders()[6].Text, "Browser");
  // Each column as wide as its longest text: the URL is not cut short.
  EXPECT_GT(page->URLs.ColumnHeaders()[1].Width, page->URLs.ColumnHeaders()[5].Width);
  ASSERT_EQ(page->URLs.Count(), 2);
  const forms::ListItem& line = page->URLs.Item(1);
  EXPECT_EQ(line.Text, "Page A");
  // Four-digit years; an expiry the store does not know stays blank.
  EXPECT_EQ(line.SubItems, (std::vector<std::string>{"https://a.example/", "01/02/2026 03:04:05",
                                                     "01/02/2026 03:04:05", "", "3", ""}));
  EXPECT_EQ(page->URLs.Item(2).Text, "");
  EXPECT_EQ(page->URLs.Item(2).SubItems[0], "https://untitled.example/");
}

TEST_F(HistoryPageTest, EachLoadRebuildsFromTheStore) {
  state.records = {record("a", "A")};
  open();
  page->loadURLHistory();
  state.records = {};
  page->loadURLHistory();
  EXPECT_EQ(page->URLs.Count(), 0);
  EXPECT_EQ(page->URLs.ColumnHeaders().size(), 7u);
}

TEST_F(HistoryPageTest, ClearShowsProgressClearsTheStoreAndKeepsTheLines) {
  state.records = {record("a", "A"), record("b", "B")};
  open();
  page->loadURLHistory();
  std::string panelDuring;
  int pointerDuring = -1;
  state.onClear = [&] {
    panelDuring = sbar.PanelText(1);
    pointerDuring = form.MousePointer();
  };
  page->cmdClearHistory_Click();
  EXPECT_EQ(panelDuring, "Clearing History...");
  EXPECT_EQ(pointerDuring, forms::vbHourglass);
  EXPECT_EQ(sbar.PanelText(1), "");
  EXPECT_EQ(form.MousePointer(), forms::vbDefault);
  EXPECT_EQ(state.clears, 1);
  EXPECT_EQ(history->Count(), 0);
  EXPECT_EQ(page->URLs.Count(), 2);  // until the next load
  EXPECT_TRUE(fakes.msgbox.shown.empty());
  page->loadURLHistory();
  EXPECT_EQ(page->URLs.Count(), 0);
}

// A source that lists what it holds and refuses to clear with its own words.
class RefusingSource : public core::HistorySource {
 public:
  bool list(core::HistoryPlan& plan, std::size_t self, std::string&) override {
    for (core::HistoryEntry entry : entries) {
      entry.source = self;
      plan.entries.push_back(std::move(entry));
    }
    return true;
  }
  platform::ClearOutcome clear(const core::Progress& progress) override {
    progress(1, 2);
    platform::ClearOutcome outcome;
    outcome.fail("the history of visited sites", "Please close Firefox and try again.");
    return outcome;
  }
  std::vector<core::HistoryEntry> entries;
};

TEST_F(HistoryPageTest, OverSourcesTheLinesAreThePlansAndARefusalIsToldInTheSourcesWords) {
  RefusingSource source;
  source.entries = {{"https://a.example/", "Page A", kVisited, kVisited, 0, 3, "Firefox (p)", 0}};
  page = std::make_unique<traces::HistoryPage>(*bundle, forms::PageHost{form, sbar}, nullptr,
                                               std::vector<core::HistorySource*>{&source});
  page->loadURLHistory();
  ASSERT_EQ(page->URLs.Count(), 1);
  EXPECT_EQ(page->URLs.Item(1).Text, "Page A");
  EXPECT_EQ(page->URLs.Item(1).SubItems,
            (std::vector<std::string>{"https://a.example/", "01/02/2026 03:04:05",
                                      "01/02/2026 03:04:05", "", "3", "Firefox (p)"}));
  page->cmdClearHistory_Click();
  ASSERT_EQ(fakes.msgbox.shown.size(), 1u);
  EXPECT_EQ(fakes.msgbox.shown[0].text, "Please close Firefox and try again.");
  EXPECT_EQ(sbar.PanelText(1), "");
  EXPECT_EQ(page->URLs.Count(), 1);
}

TEST_F(HistoryPageTest, ARefusedClearTellsTheUserWhichBrowserToClose) {
  state.records = {record("a", "A")};
  open();
  page->loadURLHistory();
  state.failWith = static_cast<platform::HRESULT>(0x80070020u);
  page->cmdClearHistory_Click();
  ASSERT_EQ(fakes.msgbox.shown.size(), 1u);
  EXPECT_EQ(fakes.msgbox.shown[0].text, state.errorText);
  EXPECT_EQ(fakes.msgbox.shown[0].style, forms::vbOKOnly | forms::vbExclamation);
  EXPECT_EQ(fakes.msgbox.shown[0].caption, identity::kAppTitle);
  EXPECT_EQ(sbar.PanelText(1), "");
  EXPECT_EQ(form.MousePointer(), forms::vbDefault);
  EXPECT_EQ(page->URLs.Count(), 1);
}

TEST_F(HistoryPageTest, AnUnreadableStoreLoadsAnEmptyListQuietly) {
  state.records = {record("a", "A")};
  open();
  page->loadURLHistory();
  state.enumFailWith = platform::E_FAIL;
  page->loadURLHistory();
  EXPECT_EQ(page->URLs.Count(), 0);
  EXPECT_TRUE(fakes.msgbox.shown.empty());
}

TEST_F(HistoryPageTest, WithoutAHistoryTheListIsEmptyAndClearSaysSo) {
  open(false);
  page->loadURLHistory();
  EXPECT_EQ(page->URLs.Count(), 0);
  page->cmdClearHistory_Click();
  ASSERT_EQ(fakes.msgbox.shown.size(), 1u);
  EXPECT_NE(fakes.msgbox.shown[0].text.find("cannot be reached"), std::string::npos);
}

TEST_F(HistoryPageTest, HeaderClickSortsByThatColumnAscending) {
  open();
  page->URLs_ColumnClick(2);
  EXPECT_EQ(page->URLs.SortKey(), 1);
  EXPECT_TRUE(page->URLs.Sorted());
  EXPECT_TRUE(page->URLs.SortAscending());
  page->URLs_ColumnClick(2);
  EXPECT_EQ(page->URLs.SortKey(), 1);
  EXPECT_TRUE(page->URLs.SortAscending());
  page->URLs_ColumnClick(6);
  EXPECT_EQ(page->URLs.SortKey(), 5);
}

}  // namespace
