#include "app_fixture.h"

namespace apptest {
namespace {

using std::string;

TEST_F(AppTest, AutomaticRunShowsEveryAreaInOrderAndNoneWhenNothingIsTicked) {
  start();
  app::frmmain* main = app.mainForm();
  forms::Label label("lblAction");
  std::vector<string> texts;
  label.setRefreshHandler([&] { texts.push_back(label.Caption()); });
  app.ClearChosenAreas(label);
  EXPECT_TRUE(texts.empty());

  for (forms::CheckBox* box :
       {&main->ChkAutoClearCache, &main->Chkautoclearcookies, &main->ChkAutoClearHistory,
        &main->chkEmptyRecycleBin, &main->chkdeltempfiles})
    box->setValue(1);
  app.ClearChosenAreas(label);
  EXPECT_EQ(texts, (std::vector<string>{"Clearing cache contents...", "Deleting coookies...",
                                        "Clearing History...", "Emptying Recycle Bin...",
                                        "Deleting temp files..."}));
  EXPECT_EQ(fakes.history.clears, 1);
  EXPECT_EQ(fakes.trash.emptied, 1);
  EXPECT_EQ(main->MousePointer(), forms::vbDefault);
}

TEST_F(AppTest, ExitCancelledChangesNothing) {
  start();
  fakes.msgbox.answers = {forms::vbCancel};
  fakes.tray.send(forms::WM_RBUTTONUP);
  windows.menuChoice = "Exit";
  fakes.tray.send(forms::WM_RBUTTONUP);
  ASSERT_EQ(fakes.msgbox.shown.size(), 1u);
  EXPECT_EQ(fakes.msgbox.shown[0].text, "Do you wish to end the application?");
  EXPECT_EQ(fakes.msgbox.shown[0].style, forms::vbOKCancel);
  EXPECT_FALSE(windows.ended);
  EXPECT_NE(app.mainForm(), nullptr);
  // The icon and its menu still work.
  windows.menuChoice = "Show Tracesweep";
  fakes.tray.send(forms::WM_LBUTTONDOWN);
  EXPECT_TRUE(windows.isVisible(*app.mainForm()));
}

TEST_F(AppTest, ExitWithoutTheShutdownOptionClearsNothingWhateverTheAreasSay) {
  store("autoemptyrecyclebin", "1");
  store("autodelhistory", "1");
  start();
  app.unloadMainForm();
  app.trayForm()->mnuexit_Click();
  EXPECT_EQ(fakes.trash.emptied, 0);
  EXPECT_EQ(fakes.history.clears, 0);
  EXPECT_EQ(app.cleanUpForm(), nullptr);
  EXPECT_EQ(app.mainForm(), nullptr);
  EXPECT_EQ(app.trayForm(), nullptr);
  EXPECT_TRUE(windows.ended);
}

TEST_F(AppTest, ExitRunUsesTheStoredOptionsInATopmostProgressWindow) {
  createRunKey();
  store("runonshutdown", "1");
  store("autoemptyrecyclebin", "1");
  store("autostart", "1");
  start();
  app.unloadMainForm();  // the run loads a fresh window with the stored options
  app.trayForm()->mnuexit_Click();
  EXPECT_EQ(fakes.trash.emptied, 1);
  EXPECT_EQ(windows.repainted.back(), "Emptying Recycle Bin...");
  auto at = [&](const string& entry) {
    auto last = std::find(windows.log.rbegin(), windows.log.rend(), entry);
    return windows.log.rend() - last - 1;
  };
  EXPECT_LT(at("show frmCleanUp"), at("topmost frmCleanUp"));
  EXPECT_LT(at("topmost frmCleanUp"), at("unload frmCleanUp"));
  EXPECT_LT(at("unload frmCleanUp"), at("unload frmmain"));
  EXPECT_LT(at("unload frmmain"), at("unload frmtray"));
  EXPECT_NE(autostartValue(), "<absent>");  // the main window's close applied the box
  EXPECT_TRUE(windows.ended);
}

TEST_F(AppTest, ExitRunRereadsTheListsOfAWindowThatStayedLoaded) {
  store("runonshutdown", "1");
  start();
  int before = cache.listings;
  app.trayForm()->mnuexit_Click();
  EXPECT_EQ(cache.listings, before + 1);
}

TEST_F(AppTest, TrayMessagesOpenTheMenuShowTheWindowOrDoNothing) {
  start();
  fakes.tray.send(forms::WM_LBUTTONDOWN);
  EXPECT_EQ(windows.lastMenu, (std::vector<string>{"Show Tracesweep", "About", "Exit"}));
  windows.lastMenu.clear();
  fakes.tray.send(forms::WM_RBUTTONUP);
  EXPECT_EQ(windows.lastMenu.size(), 3u);

  auto logSize = windows.log.size();
  fakes.tray.send(0x202);  // left release
  fakes.tray.send(0x204);  // right press
  fakes.tray.send(0x200);  // movement
  EXPECT_EQ(windows.log.size(), logSize);

  fakes.tray.send(forms::WM_LBUTTONDBLCLK);
  app::frmmain* main = app.mainForm();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(windows.isVisible(*main));
  // Showing it again brings the same window forward.
  windows.menuChoice = "Show Tracesweep";
  fakes.tray.send(forms::WM_LBUTTONDOWN);
  EXPECT_EQ(app.mainForm(), main);
}

TEST_F(AppTest, AboutLoadsAClosedWindowAndSelectsTheAboutPage) {
  start();
  app.unloadMainForm();
  windows.menuChoice = "About";
  fakes.tray.send(forms::WM_RBUTTONUP);
  ASSERT_NE(app.mainForm(), nullptr);
  EXPECT_TRUE(windows.isVisible(*app.mainForm()));
  EXPECT_EQ(app.mainForm()->SSTab1.Tab(), app::kTabAbout);
}

TEST_F(AppTest, MainWindowLoadsOnGeneralWithItsCaptionAndAboutTexts) {
  start();
  app::frmmain* main = app.mainForm();
  EXPECT_EQ(main->Caption(), " Norrick Tracesweep");
  EXPECT_EQ(main->SSTab1.Tab(), app::kTabGeneral);
  EXPECT_EQ(main->lblappname.Caption(), " Norrick Tracesweep 1.0");
  const string& address = main->lbladdress.Caption();
  EXPECT_EQ(std::count(address.begin(), address.end(), '\n'), 2);
  EXPECT_TRUE(address.ends_with("\n UK"));
}

TEST_F(AppTest, EachVisitToAListPageReloadsItsList) {
  start();
  app::frmmain* main = app.mainForm();
  int before = cache.listings;
  for (int tab : {app::kTabCache, app::kTabGeneral, app::kTabCache}) {
    main->SSTab1.setTab(tab);
    main->SSTab1_Click();
  }
  EXPECT_EQ(cache.listings, before + 2);
}

TEST_F(AppTest, HelpAndTheWebLinkOpenTheMakersPagesQuietly) {
  app.makerUrl = "https://www.maker.test";
  start();
  app.mainForm()->cmdhelp_Click();
  app.mainForm()->lblurl_Click();
  ASSERT_EQ(fakes.shell.opened.size(), 2u);
  EXPECT_TRUE(fakes.shell.opened[0].ends_with("/products/ts/help.html"));
  EXPECT_EQ(fakes.shell.opened[0].rfind("https://www.maker.test", 0), 0u);
  EXPECT_TRUE(fakes.msgbox.shown.empty());
}

TEST_F(AppTest, TickingTheImmediateAreasClearsThemWithStatusTexts) {
  start();
  app::frmmain* main = app.mainForm();
  std::vector<string> texts;
  main->sbar.setRefreshHandler([&] { texts.push_back(main->sbar.PanelText(1)); });
  main->chkEmptyRecycleBin.setValue(0);
  main->chkEmptyRecycleBin_Click();
  EXPECT_EQ(fakes.trash.emptied, 0);
  main->chkEmptyRecycleBin.setValue(1);
  main->chkEmptyRecycleBin_Click();
  EXPECT_EQ(fakes.trash.emptied, 1);
  main->chkdeltempfiles.setValue(1);
  main->chkdeltempfiles_Click();
  EXPECT_EQ(texts,
            (std::vector<string>{"Emptying Recycle bin...", "Deleting temp folder contents..."}));
  EXPECT_EQ(main->sbar.PanelText(1), "");
  EXPECT_EQ(main->MousePointer(), forms::vbDefault);
}

}  // namespace
}  // namespace apptest
