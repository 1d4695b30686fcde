// The program on a real desktop: a notification area that comes and goes
// while it runs, the end of the desktop session, and help without a network.
#include "app/help_page.h"
#include "app_fixture.h"

namespace apptest {
namespace {

// Started before the panel (as at log-in): the main window is the way in
// until the panel comes; then closing the window leaves the program in the
// tray; when the panel goes again, the window comes back so the program can
// still be ended.
TEST_F(AppTest, ANotificationAreaThatComesLateIsUsedAndOneThatGoesBringsTheWindowBack) {
  fakes.tray.isAvailable = false;
  start();
  ASSERT_NE(app.mainForm(), nullptr);
  EXPECT_TRUE(windows.isVisible(*app.mainForm()));
  EXPECT_EQ(fakes.tray.added, 1);  // the icon waits for the panel

  fakes.tray.setAvailable(true);
  app.mainForm()->userClose();
  EXPECT_EQ(app.mainForm(), nullptr);
  EXPECT_TRUE(fakes.msgbox.shown.empty());
  EXPECT_FALSE(windows.ended);
  fakes.tray.send(forms::WM_LBUTTONDBLCLK);  // the icon now works
  ASSERT_NE(app.mainForm(), nullptr);
  app.mainForm()->userClose();

  fakes.tray.setAvailable(false);
  ASSERT_NE(app.mainForm(), nullptr);
  EXPECT_TRUE(windows.isVisible(*app.mainForm()));
  app.mainForm()->userClose();  // without a panel closing asks to end
  EXPECT_EQ(fakes.msgbox.shown.back().text, "Do you wish to end the application?");
  EXPECT_TRUE(windows.ended);
  EXPECT_EQ(fakes.tray.added, 1);
}

// A panel that goes while the splash still runs the start-up sequence: the
// window appears once, at the sequence's end.
TEST_F(AppTest, ANotificationAreaThatGoesDuringStartUpShowsTheWindowOnce) {
  bool vanished = false;
  windows.onShowSplash = [&] {
    fakes.tray.setAvailable(false);
    vanished = true;
  };
  start();
  ASSERT_TRUE(vanished);
  EXPECT_EQ(std::count(windows.log.begin(), windows.log.end(), "show frmmain"), 1);
}

// SIGTERM at log-out: the box as it stands applies, as closing the window
// would; nothing else is saved, asked or cleared.
TEST_F(AppTest, SessionEndAppliesTheAutostartBoxAsTheWindowsCloseDoes) {
  createRunKey();
  store("runonshutdown", "1");
  store("autoemptyrecyclebin", "1");
  start();
  app.showMainForm();
  app.mainForm()->chkautostart.setValue(1);  // ticked, not saved
  app.sessionEnd();
  EXPECT_NE(autostartValue(), "<absent>");
  EXPECT_EQ(stored("autostart"), "<absent>");
  EXPECT_EQ(app.mainForm(), nullptr);
  EXPECT_TRUE(fakes.msgbox.shown.empty());
  EXPECT_EQ(fakes.trash.emptied, 0);

  // With the window closed there is no box to apply: the entry stays as it is.
  app.sessionEnd();
  EXPECT_NE(autostartValue(), "<absent>");
}

TEST_F(AppTest, HelpIsTheInstalledPageUnlessTheBuildNamesAMaker) {
  fakes.process.folder = "/opt/trace sweep/bin";
  fakes.files.lengths["/opt/trace sweep/share/doc/tracesweep/help.html"] = 4000;
  start();
  app.mainForm()->cmdhelp_Click();
  app.mainForm()->lblurl_Click();
  app.mainForm()->cmdcheckForUpdates_Click();
  EXPECT_EQ(
      fakes.shell.opened,
      (std::vector<std::string>{"file:///opt/trace%20sweep/share/doc/tracesweep/help.html",
                                "file:///opt/trace%20sweep/share/doc/tracesweep/help.html#maker"}));
  EXPECT_TRUE(fakes.downloader.urls.empty());
  EXPECT_EQ(fakes.msgbox.shown.back().text, update::kServerNotConfigured);

  app.unloadMainForm();
  app.makerUrl = "https://www.maker.test";
  app.showMainForm();
  fakes.shell.opened.clear();
  app.mainForm()->cmdhelp_Click();
  app.mainForm()->lblurl_Click();
  EXPECT_EQ(fakes.shell.opened,
            (std::vector<std::string>{"https://www.maker.test/products/ts/help.html",
                                      "https://www.maker.test/"}));
}

}  // namespace
}  // namespace apptest
