// The Cache page over a cache held in memory: the two-call listing loop,
// what "Clear Cache", "Delete Selected" and "Invert Selection" delete and
// select, and the busy pointer and status text around them.
#include "traces/cache_page.h"

#include <gtest/gtest.h>

#include "forms/fake/fake_platform.h"

using platform::NORMAL_CACHE_ENTRY;
using platform::fake::FakeUrlCache;

namespace {

class CachePageTest : public ::testing::Test {
 protected:
  void fill(std::initializer_list<std::string> names) {
    for (const auto& n : names) fake.urlCache.entries.push_back({n, NORMAL_CACHE_ENTRY});
  }
  std::vector<std::string> listed() const { return page.List1.Items(); }

  forms::fake::FakePlatform fake;
  forms::Platform platform = fake.platform();
  forms::Form frmmain{"frmmain"};
  forms::StatusBar sbar{"sbar", 2};
  traces::CachePage page{platform, forms::PageHost{frmmain, sbar}};
};

}  // namespace

TEST_F(CachePageTest, ListsNormalEntriesInCacheOrderAndClosesTheEnumeration) {
  fill({"http://b.example/", "http://a.example/"});
  fake.urlCache.entries.push_back({"http://sticky.example/", 4});  // no NORMAL bit
  fill({"http://c.example/"});
  int pointerWhileListing = -1;
  frmmain.setChangeListener([&] {
    if (pointerWhileListing < 0) pointerWhileListing = frmmain.MousePointer();
  });
  page.loadCacheContents();
  EXPECT_EQ(listed(), (std::vector<std::string>{"http://b.example/", "http://a.example/",
                                                "http://c.example/"}));
  EXPECT_EQ(pointerWhileListing, forms::vbHourglass);
  EXPECT_EQ(frmmain.MousePointer(), forms::vbDefault);
  ASSERT_EQ(fake.urlCache.closed.size(), 1u);
  EXPECT_NE(fake.urlCache.closed[0], 0u);
  EXPECT_EQ(fake.urlCache.openEnumerations(), 0u);
}

TEST_F(CachePageTest, AnEmptyCacheGivesAnEmptyListAndClosesHandleZero) {
  page.List1.setItems({"stale"});
  page.GetCacheURLList();
  EXPECT_TRUE(listed().empty());
  EXPECT_EQ(fake.urlCache.closed, std::vector<platform::CacheHandle>{0});
  page.cmdDelAllFromCache_Click();
  EXPECT_TRUE(fake.urlCache.deleted.empty());
}

TEST_F(CachePageTest, AFailedFetchKeepsWhatWasListedAndRestoresThePointer) {
  fill({"http://1.example/", "http://2.example/", "http://3.example/"});
  fake.urlCache.fetchFailuresAfter = 2;
  page.GetCacheURLList();
  EXPECT_EQ(listed(), (std::vector<std::string>{"http://1.example/", "http://2.example/"}));
  EXPECT_EQ(fake.urlCache.openEnumerations(), 0u);
  EXPECT_EQ(frmmain.MousePointer(), forms::vbDefault);
}

TEST_F(CachePageTest, HoldsMoreThan32767Entries) {
  for (int i = 0; i < 40000; ++i)
    fake.urlCache.entries.push_back({"http://e.example/" + std::to_string(i), NORMAL_CACHE_ENTRY});
  page.GetCacheURLList();
  ASSERT_EQ(page.List1.ListCount(), 40000);
  EXPECT_EQ(page.List1.List(39999), "http://e.example/39999");
}

TEST_F(CachePageTest, ClearCacheSparesCookieEntriesUnlessCachedPasswordsAreTicked) {
  fill({"http://a.example/", "http://a.example/Cookie:user@site/", "http://b.example/cookie.js",
        "http://b.example/setCookies.html"});
  page.loadCacheContents();
  std::vector<std::string> statusTexts;
  std::int64_t progressMax = 0;
  sbar.setChangeListener([&] {  // the text as it changes, and the progress bar's length
    if (statusTexts.empty() || statusTexts.back() != sbar.PanelText(1))
      statusTexts.push_back(sbar.PanelText(1));
    progressMax = std::max(progressMax, sbar.ProgressMax());
  });
  page.cmdDelAllFromCache_Click();
  EXPECT_EQ(statusTexts, (std::vector<std::string>{"Clearing cache...", ""}));
  EXPECT_EQ(progressMax, 4);
  EXPECT_EQ(sbar.ProgressMax(), 0);
  EXPECT_EQ(fake.urlCache.deleted,
            (std::vector<std::string>{"http://a.example/", "http://b.example/cookie.js"}));
  EXPECT_EQ(listed(), (std::vector<std::string>{"http://a.example/Cookie:user@site/",
                                                "http://b.example/setCookies.html"}));

  page.chkDelCachedPasswords.setValue(1);
  page.deletecache();
  EXPECT_TRUE(listed().empty());
  EXPECT_EQ(fake.urlCache.deleted.size(), 4u);
  EXPECT_EQ(frmmain.MousePointer(), forms::vbDefault);
}

TEST_F(CachePageTest, ClearCacheDeletesOnlyWhatTheListHolds) {
  fill({"http://listed.example/"});
  page.loadCacheContents();
  fill({"http://arrived-later.example/"});
  page.deletecache();
  EXPECT_EQ(fake.urlCache.deleted, std::vector<std::string>{"http://listed.example/"});
  EXPECT_EQ(listed(), std::vector<std::string>{"http://arrived-later.example/"});
}

TEST_F(CachePageTest, AnEntryThatCannotBeDeletedIsListedAgainAndSaidOnlyToTheUser) {
  fill({"http://busy.example/", "http://free.example/"});
  fake.urlCache.undeletable.insert("http://busy.example/");
  page.loadCacheContents();
  platform::ClearOutcome outcome;
  page.deletecache(&outcome);  // as the automatic run does: quietly
  EXPECT_TRUE(fake.msgbox.shown.empty());
  EXPECT_EQ(outcome.removed, 1);
  ASSERT_EQ(outcome.failures.size(), 1u);
  EXPECT_EQ(outcome.failures[0].item, "http://busy.example/");
  EXPECT_EQ(outcome.failures[0].reason, "its browser is running");

  page.cmdDelAllFromCache_Click();
  EXPECT_EQ(listed(), std::vector<std::string>{"http://busy.example/"});
  ASSERT_EQ(fake.msgbox.shown.size(), 1u);
  EXPECT_EQ(fake.msgbox.shown[0].text,
            "1 cache entry was not deleted:\n\nIts browser is running (1 entry).\n\n"
            "Please close the browser and try again.");
  EXPECT_EQ(fake.msgbox.shown[0].style, forms::vbOKOnly | forms::vbExclamation);
}

TEST_F(CachePageTest, DeleteSelectedDeletesEverySelectedEntryAndNothingElse) {
  fill({"http://0.example/", "http://1.example/", "http://2.example/", "http://3.example/"});
  page.loadCacheContents();
  page.List1.setSelected(0, true);
  page.List1.setSelected(2, true);
  page.List1.setSelected(3, true);
  page.List1.setListIndex(1);  // the focused item is not selected
  page.cmdDelSelFromCache_Click();
  EXPECT_EQ(listed(), std::vector<std::string>{"http://1.example/"});
  EXPECT_EQ(fake.urlCache.deleted.size(), 3u);
  EXPECT_EQ(frmmain.MousePointer(), forms::vbDefault);
}

TEST_F(CachePageTest, DeleteSelectedWithNoSelectionDeletesNothingAndRebuilds) {
  fill({"http://0.example/", "http://1.example/"});
  page.loadCacheContents();
  page.List1.setListIndex(0);
  fill({"http://new.example/"});
  page.cmdDelSelFromCache_Click();
  EXPECT_TRUE(fake.urlCache.deleted.empty());
  EXPECT_EQ(page.List1.ListCount(), 3);
}

TEST_F(CachePageTest, InvertSelectionTogglesEveryItemAndTwiceRestores) {
  fill({"http://0.example/", "http://1.example/", "http://2.example/"});
  page.loadCacheContents();
  page.cmdinvertcachesel_Click();
  for (std::int64_t i = 0; i < 3; ++i) EXPECT_TRUE(page.List1.Selected(i));
  page.List1.setSelected(1, false);
  page.List1.setListIndex(2);
  page.invertsel();
  EXPECT_FALSE(page.List1.Selected(0));
  EXPECT_TRUE(page.List1.Selected(1));
  EXPECT_FALSE(page.List1.Selected(2));
  EXPECT_EQ(page.List1.ListIndex(), 2);  // the focus stays
  page.invertsel();
  EXPECT_TRUE(page.List1.Selected(0));
  EXPECT_FALSE(page.List1.Selected(1));
}

TEST(GetStrFromPtrA, CopiesUpToTheNul) {
  const char text[] = "http://x.example/\0tail";
  EXPECT_EQ(traces::CachePage::GetStrFromPtrA(text), "http://x.example/");
  EXPECT_EQ(traces::CachePage::GetStrFromPtrA(""), "");
}
