// CURLHistory and URLHistoryItem over a store held in memory.
#include "traces/url_history.h"

#include <gtest/gtest.h>
#include <time.h>

#include "memory_store.h"
#include "temp_dir.h"

namespace {

using historytest::MemoryStore;
using historytest::MemoryStoreState;
using historytest::record;
using traces::CURLHistory;
using traces::HistoryError;

class UrlHistory : public ::testing::Test {
 protected:
  std::unique_ptr<CURLHistory> open() {
    return std::make_unique<CURLHistory>(std::make_unique<MemoryStore>(state));
  }
  std::vector<std::string> urls(const CURLHistory& history) {
    std::vector<std::string> out;
    for (const auto& item : history) out.push_back(item->URL());
    return out;
  }
  MemoryStoreState state;
};

TEST_F(UrlHistory, CreationTakesASnapshotInTheStoresOrder) {
  state.records = {record("a", "A"), record("b", nullptr), record("c", "C")};
  auto history = open();
  EXPECT_EQ(history->Count(), 3);
  EXPECT_EQ(urls(*history), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(history->Item(2)->Title(), "");  // no title: empty, URL still given
  EXPECT_EQ(history->Item(2)->URL(), "b");
}

TEST_F(UrlHistory, EmptyStoreGivesAnEmptySnapshot) {
  auto history = open();
  EXPECT_EQ(history->Count(), 0);
  EXPECT_EQ(history->begin(), history->end());
}

TEST_F(UrlHistory, RemoveDeletesOneUrlAndShiftsTheSnapshotWithoutReenumerating) {
  state.records = {record("a", "A"), record("b", "B"), record("c", "C")};
  auto history = open();
  traces::URLHistoryItemPtr held = history->Item(1);
  const int enumerations = state.enumerations;
  history->Remove(1);
  EXPECT_EQ(state.deleted, std::vector<std::string>{"a"});
  EXPECT_EQ(state.enumerations, enumerations);
  EXPECT_EQ(urls(*history), (std::vector<std::string>{"b", "c"}));
  history->Refresh();
  EXPECT_EQ(held->URL(), "a");  // a holder keeps its entry past Remove and Refresh
}

TEST_F(UrlHistory, OutOfRangePositionsThrowAndDeleteNothing) {
  state.records = {record("a", "A")};
  auto history = open();
  EXPECT_THROW(history->Item(0), std::out_of_range);
  EXPECT_THROW(history->Item(2), std::out_of_range);
  EXPECT_THROW(history->Remove(0), std::out_of_range);
  EXPECT_THROW(history->Remove(2), std::out_of_range);
  EXPECT_TRUE(state.deleted.empty());
  EXPECT_EQ(history->Count(), 1);
}

TEST_F(UrlHistory, AddUrlShowsOnlyAfterRefreshAndFiltersWork) {
  auto history = open();
  history->AddURL("https://new.example/", "New", 0);
  EXPECT_EQ(history->Count(), 0);
  history->Refresh();
  EXPECT_EQ(urls(*history), std::vector<std::string>{"https://new.example/"});
  const std::string prefix = "http://";
  history->Refresh(&prefix, 0);
  EXPECT_EQ(history->Count(), 0);
}

TEST_F(UrlHistory, ClearAndDeleteUrlRefresh) {
  state.records = {record("a", "A"), record("b", "B")};
  auto history = open();
  history->DeleteURL("b", 0);
  EXPECT_EQ(urls(*history), std::vector<std::string>{"a"});
  history->Clear();
  EXPECT_EQ(state.clears, 1);
  EXPECT_EQ(history->Count(), 0);
}

TEST_F(UrlHistory, StoreFailuresAreRaisedWithTheStoresWordsAndStopTheOperation) {
  state.records = {record("a", "A")};
  auto history = open();
  state.failWith = platform::E_FAIL;
  state.records.push_back(record("b", "B"));
  try {
    history->Clear();
    FAIL() << "Clear did not raise";
  } catch (const HistoryError& error) {
    EXPECT_EQ(error.code(), platform::E_FAIL);
    EXPECT_STREQ(error.what(), "Please close Firefox (profile default) and try again.");
  }
  EXPECT_EQ(history->Count(), 1);  // no refresh after a failed clear
  EXPECT_THROW(history->Remove(1), HistoryError);
  EXPECT_EQ(history->Count(), 1);
  EXPECT_THROW(history->AddURL("x", "X", 0), HistoryError);
  state.enumFailWith = platform::E_FAIL;
  EXPECT_THROW(history->Refresh(), HistoryError);
  EXPECT_THROW(CURLHistory(nullptr), HistoryError);
}

TEST_F(UrlHistory, DatesAreLocalDateValuesReadAlikeEveryTime) {
  {
    testsupport::EnvGuard tz("TZ", "UTC");
    tzset();
    state.records = {record("a", "A", 0)};
    auto history = open();
    auto item = history->Item(1);
    EXPECT_EQ(item->LastVisited(), -109205.0);
    EXPECT_EQ(item->LastVisited(), item->LastVisited());
    EXPECT_EQ(item->Expires(), -109205.0);  // an expiry of 0 converts like any other
    EXPECT_EQ(item->LastUpdated(), -109205.0);
  }
  tzset();
}

}  // namespace
