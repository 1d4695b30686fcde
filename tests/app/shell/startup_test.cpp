#include "app_fixture.h"

namespace apptest {
namespace {

using std::string;

TEST_F(AppTest, FirstRunLoadsDefaultsShowsEveryStepAndLeavesOnlyTheTray) {
  createRunKey();
  start();
  EXPECT_EQ(windows.repainted,
            (std::vector<string>{"Loading preferences...", "Loading cache contents...",
                                 "Loading history...", "Loading cookie list..."}));
  app::frmmain* main = app.mainForm();
  ASSERT_NE(main, nullptr);
  for (forms::CheckBox* box :
       {&main->chkautostart, &main->chkdelOnStart, &main->chkDelOnShutDown,
        &main->Chkautoclearcookies, &main->ChkAutoClearCache, &main->ChkAutoClearHistory,
        &main->chkEmptyRecycleBin, &main->chkdeltempfiles, &main->cache.chkDelCachedPasswords,
        &main->wipe.chkSecureForAll})
    EXPECT_EQ(box->Value(), 0) << box->Name();
  EXPECT_TRUE(main->wipe.optQuick.Value());
  EXPECT_FALSE(main->wipe.optDOD.Value());
  EXPECT_EQ(autostartValue(), "<absent>");
  EXPECT_EQ(fakes.trash.emptied, 0);
  // The splash is gone, the main window loaded but never shown, the icon there once.
  EXPECT_EQ(app.splashForm(), nullptr);
  EXPECT_FALSE(windows.isVisible(*main));
  EXPECT_EQ(fakes.tray.added, 1);
  EXPECT_EQ(fakes.tray.tip, " Norrick Tracesweep");
}

TEST_F(AppTest, SecondCopyShowsItsMessageAndChangesNothing) {
  fakes.process.another = true;
  auto keysBefore = fakes.registry.keys().size();
  start();
  ASSERT_EQ(fakes.msgbox.shown.size(), 1u);
  EXPECT_EQ(fakes.msgbox.shown[0].text, " Norrick Tracesweep is already running");
  EXPECT_EQ(fakes.msgbox.shown[0].style, forms::vbOKOnly | forms::vbInformation);
  EXPECT_EQ(fakes.msgbox.shown[0].caption, " Norrick Tracesweep");
  EXPECT_TRUE(windows.ended);
  EXPECT_EQ(fakes.tray.added, 0);
  EXPECT_TRUE(windows.log.empty());
  EXPECT_EQ(fakes.registry.keys().size(), keysBefore);
}

TEST_F(AppTest, StoredShredLevelFalseSelectsTheThoroughLevel) {
  store("shredlevel", "False");
  start();
  EXPECT_FALSE(app.mainForm()->wipe.optQuick.Value());
  EXPECT_TRUE(app.mainForm()->wipe.optDOD.Value());
}

TEST_F(AppTest, UnreadableStoredValuesFallBackToTheDefaults) {
  store("autodelcache", "yes please");
  store("runonstart", "\x01\xff");
  store("shredlevel", "maybe");
  start();
  EXPECT_EQ(app.mainForm()->ChkAutoClearCache.Value(), 0);
  EXPECT_EQ(app.mainForm()->chkdelOnStart.Value(), 0);
  EXPECT_TRUE(app.mainForm()->wipe.optQuick.Value());
}

TEST_F(AppTest, StoredTicksOfTheImmediateAreasTriggerNothing) {
  store("autoemptyrecyclebin", "1");
  store("autocleartemp", "1");
  start();
  app.showMainForm();  // every activation loads the preferences again
  EXPECT_EQ(app.mainForm()->chkEmptyRecycleBin.Value(), 1);
  EXPECT_EQ(fakes.trash.emptied, 0);
  EXPECT_EQ(app.mainForm()->sbar.PanelText(1), "");
}

TEST_F(AppTest, StartupRunClearsTheTickedAreasWithTheirTexts) {
  store("runonstart", "1");
  store("autoemptyrecyclebin", "1");
  start();
  EXPECT_EQ(windows.repainted.back(), "Emptying Recycle Bin...");
  EXPECT_EQ(fakes.trash.emptied, 1);
}

TEST_F(AppTest, AutostartIsRenewedAtStartWithTheProgramsCurrentPlace) {
  createRunKey();
  store("autostart", "1");
  fakes.process.folder = "/home/u/moved here";
  start();
  EXPECT_EQ(autostartValue(), string("/home/u/moved here/tracesweep") + '\0');
}

TEST_F(AppTest, AutostartFollowsTheBoxOnEveryCloseWithoutSavingTheRest) {
  createRunKey();
  start();
  app.showMainForm();
  app::frmmain* main = app.mainForm();
  main->chkautostart.setValue(1);
  main->ChkAutoClearCache.setValue(1);
  main->userClose();  // the close box
  EXPECT_EQ(app.mainForm(), nullptr);
  EXPECT_NE(autostartValue(), "<absent>");
  EXPECT_EQ(stored("autostart"), "<absent>");

  // Shown again: the stored (unticked) state; the next unload removes the entry.
  app.showMainForm();
  EXPECT_EQ(app.mainForm()->chkautostart.Value(), 0);
  EXPECT_EQ(app.mainForm()->ChkAutoClearCache.Value(), 0);
  app.mainForm()->userClose();
  EXPECT_EQ(autostartValue(), "<absent>");
}

TEST_F(AppTest, OkSavesEveryPreferenceAndClosesTheWindow) {
  start();
  app.showMainForm();
  app::frmmain* main = app.mainForm();
  main->chkDelOnShutDown.setValue(1);
  main->cache.chkDelCachedPasswords.setValue(1);
  main->wipe.optQuick.setValue(false);
  main->wipe.optDOD.setValue(true);
  main->cmdok_Click();
  EXPECT_EQ(app.mainForm(), nullptr);
  EXPECT_EQ(stored("runonshutdown"), "1");
  EXPECT_EQ(stored("delcachedpasswords"), "1");
  EXPECT_EQ(stored("autostart"), "0");
  EXPECT_EQ(stored("shredlevel"), "False");
  EXPECT_FALSE(windows.ended);
}

TEST_F(AppTest, AHistoryStoreThatCannotBeOpenedDoesNotStopTheStart) {
  fakes.history.fail = true;
  start();
  EXPECT_EQ(app.history(), nullptr);
  EXPECT_NE(app.mainForm(), nullptr);
  EXPECT_EQ(windows.repainted.size(), 4u);
}

TEST_F(AppTest, WithoutANotificationAreaTheMainWindowIsShownAndClosingItAsksToEnd) {
  fakes.tray.isAvailable = false;
  start();
  ASSERT_NE(app.mainForm(), nullptr);
  EXPECT_TRUE(windows.isVisible(*app.mainForm()));
  fakes.msgbox.answers = {forms::vbCancel};
  app.mainForm()->userClose();
  EXPECT_NE(app.mainForm(), nullptr);  // Cancel keeps it open
  EXPECT_EQ(fakes.msgbox.shown.back().text, "Do you wish to end the application?");
  app.mainForm()->userClose();
  EXPECT_TRUE(windows.ended);
}

}  // namespace
}  // namespace apptest
