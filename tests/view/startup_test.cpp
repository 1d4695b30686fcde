// Activation: the splash's start-up sequence runs exactly once, whether the
// window system activates the splash or never does; the main window's
// activation handler runs when it becomes the program's active window, not
// when the focus merely comes back; a user's close goes to the model.
#include <QScopeGuard>
#include <QtTest>
#include <memory>

#include "app/modmain.h"
#include "view_env.h"

using view_test::ViewEnv;

namespace {

class CountingSplash : public app::frmSplash {
 public:
  using frmSplash::frmSplash;
  void Form_Activate() override {
    ++activations;
    frmSplash::Form_Activate();
  }
  int activations = 0;
};

// Stands for a window system that never activates the window.
class EatActivation : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    return event->type() == QEvent::WindowActivate;
  }
};

}  // namespace

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  void splashStartsUpOnceWhenActivated() {
    ViewEnv env;
    app::Modmain app(env.platform);
    // The widgets go before the window models they mirror, as in main().
    auto unloadViews = qScopeGuard([&] { env.windows.unloadAll(); });
    CountingSplash splash(app);
    runSplash(env, splash, nullptr);
    QTRY_VERIFY(app.mainForm() != nullptr);
    QTest::qWait(200);  // past the fallback
    QCOMPARE(splash.activations, 1);
    QVERIFY(!env.windows.windowOf(splash));  // unloaded at the end
    env.windows.unloadAll();
  }

  void splashStartsUpOnceWithoutActivation() {
    ViewEnv env;
    app::Modmain app(env.platform);
    // The widgets go before the window models they mirror, as in main().
    auto unloadViews = qScopeGuard([&] { env.windows.unloadAll(); });
    CountingSplash splash(app);
    EatActivation eater;
    runSplash(env, splash, &eater);
    QTRY_VERIFY(app.mainForm() != nullptr);
    QTest::qWait(200);
    QCOMPARE(splash.activations, 1);
    env.windows.unloadAll();
  }

  void mainWindowActivationReloadsOnlyWhenItBecomesActive() {
    ViewEnv env;
    app::Modmain app(env.platform);
    // The widgets go before the window models they mirror, as in main().
    auto unloadViews = qScopeGuard([&] { env.windows.unloadAll(); });
    app::frmmain& main = app.loadMainForm();
    env.windows.show(main);
    QTRY_VERIFY(main.cookies.lstcookies.Width() > 0);  // Form_Activate ran
    QTest::qWait(100);

    // An unsaved tick survives the focus coming back from a message box.
    main.chkautostart.setValue(1);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(env.windows.windowOf(main), &activate);
    QCOMPARE(main.chkautostart.Value(), 1);
    env.windows.unloadAll();
  }

  void mainIsLoadedHiddenAndItsCloseBoxUnloadsIt() {
    ViewEnv env;
    app::Modmain app(env.platform);
    // The widgets go before the window models they mirror, as in main().
    auto unloadViews = qScopeGuard([&] { env.windows.unloadAll(); });
    app.Main();  // the fake tray is available
    QTRY_VERIFY(app.splashForm() == nullptr);
    app::frmmain* main = app.mainForm();
    QVERIFY(main);
    QVERIFY(!env.windows.windowOf(*main)->isVisible());

    app.showMainForm();
    QWidget* window = env.windows.windowOf(*main);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    window->close();
    QVERIFY(app.mainForm() == nullptr);
    QVERIFY(!env.windows.windowOf(*main));
    for (const auto& box : env.fake.msgbox.shown)  // closing asks nothing
      QVERIFY(box.text != "Do you wish to end the application?");
    env.windows.unloadAll();
  }

  void exitRunShowsTheProgressWindowThenEnds() {
    ViewEnv env;
    env.fake.settings.SaveSetting(" Norrick Tracesweep", "Settings", "runonshutdown", "1");
    env.fake.settings.SaveSetting(" Norrick Tracesweep", "Settings", "autoemptyrecyclebin", "1");
    app::Modmain app(env.platform);
    // The widgets go before the window models they mirror, as in main().
    auto unloadViews = qScopeGuard([&] { env.windows.unloadAll(); });
    app.Main();
    QTRY_VERIFY(app.splashForm() == nullptr);
    app.exitSequence();  // the fake box answers OK
    QCOMPARE(env.fake.trash.emptied, 1);
    QVERIFY(env.windows.ended());
    QVERIFY(!app.mainForm());
    env.windows.unloadAll();
  }

 private:
  static void runSplash(ViewEnv& env, CountingSplash& splash, QObject* filter) {
    env.windows.load(splash);
    if (filter) env.windows.windowOf(splash)->installEventFilter(filter);
    splash.Form_Load();
    env.windows.show(splash);
  }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
