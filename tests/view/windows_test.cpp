// The windows' widgets: the splash's frame and texts, the About item of the
// tray menu, and an unloaded window that no longer reaches its model.
#include <QCheckBox>
#include <QLabel>
#include <QScopeGuard>
#include <QTabWidget>
#include <QtTest>
#include <memory>

#include "app/modmain.h"
#include "view_env.h"

using view_test::ViewEnv;

// The program and its view, ended as main() ends them: the widgets go while
// the window models they are bound to still exist, also when a check fails
// half-way through a test.
struct RunningApp {
  ViewEnv env;
  app::Modmain app{env.platform};
  ~RunningApp() { env.windows.unloadAll(); }
};

class WindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void splashIsFramelessAndShowsItsTexts() {
    RunningApp running;
    auto& [env, app] = running;
    app::frmSplash splash(app);
    env.windows.load(splash);
    auto unload = qScopeGuard([&] { env.windows.unload(splash); });
    splash.Form_Load();
    QWidget* window = env.windows.windowOf(splash);
    QCOMPARE(window->size(), QSize(490, 280));
    QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
    QTRY_COMPARE(env.find<QLabel>(splash, "lblversion")->text(), QString("Version 1.0"));
    QVERIFY(!env.find<QLabel>(splash, "lblgeneral")->text().isEmpty());
  }

  void aboutItemShowsTheMainWindowOnItsAboutPage() {
    RunningApp running;
    auto& [env, app] = running;
    app.Main();
    QTRY_VERIFY(app.splashForm() == nullptr);
    app.trayForm()->mnuabout_Click();
    app::frmmain* main = app.mainForm();
    QVERIFY(QTest::qWaitForWindowExposed(env.windows.windowOf(*main)));
    QTRY_COMPARE(env.find<QTabWidget>(*main, "SSTab1")->currentIndex(), app::kTabAbout);
    QCOMPARE(env.find<QLabel>(*main, "lblappname")->text(), QString(" Norrick Tracesweep 1.0"));
  }

  void unloadedWindowNoLongerReachesItsModel() {
    RunningApp running;
    auto& [env, app] = running;
    app.Main();
    QTRY_VERIFY(app.splashForm() == nullptr);
    app.showMainForm();
    app::frmmain* main = app.mainForm();
    QPointer<QWidget> window = env.windows.windowOf(*main);
    QPointer<QCheckBox> box = env.find<QCheckBox>(*main, "chkEmptyRecycleBin");

    app.unloadMainForm();  // the model lives on until the next load
    QVERIFY(!window->isVisible());
    box->click();  // a click that arrives late
    QCOMPARE(main->chkEmptyRecycleBin.Value(), 0);
    QCOMPARE(env.fake.trash.emptied, 0);
    main->chkautostart.setValue(1);  // no view listens any more
    QTRY_VERIFY(window.isNull());    // deleted from the event loop
  }
};

QTEST_MAIN(WindowsTest)
#include "windows_test.moc"
