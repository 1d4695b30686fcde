// The program as a desktop citizen: an update check against a server that
// never answers leaves the window painting, every control has a name for a
// screen reader and is reached by Tab in order, and SIGTERM at log-out
// applies the autostart box.
#include <QAccessible>
#include <QCheckBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QtTest>
#include <chrono>
#include <csignal>
#include <memory>

#include "app/modmain.h"
#include "app/update_check.h"
#include "http_test_server.h"
#include "platform/linux/net/curl_downloader.h"
#include "temp_dir.h"
#include "view/qt/quit_on_signal.h"
#include "view_env.h"

using namespace std::chrono_literals;
using view_test::ViewEnv;

namespace {

platform::linux_os::DownloadLimits shortLimits() {
  platform::linux_os::DownloadLimits limits;
  limits.connectTimeout = 1000ms;
  limits.totalTimeout = 1500ms;
  return limits;
}

// What a screen reader announces for a widget.
QString spokenName(QWidget* widget) {
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
  return accessible ? accessible->text(QAccessible::Name) : QString();
}

}  // namespace

class DesktopTest : public QObject {
  Q_OBJECT

 private slots:
  void updateCheckAgainstASilentServerLeavesTheWindowPainting() {
    testsupport::HttpTestServer server;
    server.serve("/products/ts/version.txt", testsupport::HttpReply::silence());
    platform::linux_os::CurlDownloader downloader(shortLimits());
    testsupport::TempDir folder;
    ViewEnv env;
    env.fake.process.folder = folder.path().string();
    forms::Platform bundle = env.platform;
    forms::Platform withCurl{forms::withView(
        platform::System{bundle.files, bundle.registry, bundle.settings, bundle.urlCache,
                         bundle.history, bundle.trash, bundle.shell, downloader, bundle.process},
        bundle.msgbox, bundle.dialogs, bundle.windows, bundle.tray)};
    app::Modmain app(withCurl);
    // The widgets go before the window models they mirror, as in main().
    auto unloadViews = qScopeGuard([&] { env.windows.unloadAll(); });
    app.makerUrl = server.url("");
    app::frmmain& main = app.loadMainForm();
    env.windows.show(main);
    QWidget* window = env.windows.windowOf(main);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    auto* button = env.find<QPushButton>(main, "cmdcheckForUpdates");
    QVERIFY(button);

    QElapsedTimer clicked;
    clicked.start();
    button->click();
    QVERIFY(clicked.elapsed() < 500);  // the click returns at once
    QVERIFY(main.checkingForUpdates());
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    // The event loop runs meanwhile: timers fire and the window repaints.
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(50);
    QTest::qWait(400);
    QVERIFY(ticks >= 4);
    button->click();  // a second click while the first check runs
    QTRY_VERIFY_WITH_TIMEOUT(!main.checkingForUpdates(), 5000);
    QCOMPARE(server.requestedPaths().size(), std::size_t(1));
    QCOMPARE(env.fake.msgbox.shown.size(), std::size_t(1));
    QCOMPARE(env.fake.msgbox.shown[0].text, std::string(update::kUpdateFileNotFound));
    QVERIFY(!QGuiApplication::overrideCursor());
    // The widgets go before the windows' models they mirror.
    env.windows.unloadAll();
  }

  void everyControlIsNamedReachedInOrderAndSpaced() {
    ViewEnv env;
    app::Modmain app(env.platform);
    // The widgets go before the window models they mirror, as in main().
    auto unloadViews = qScopeGuard([&] { env.windows.unloadAll(); });
    app::frmmain& main = app.loadMainForm();
    env.windows.show(main);
    QWidget* window = env.windows.windowOf(main);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    auto* tabs = env.find<QTabWidget>(main, "SSTab1");
    for (int tab = 0; tab < tabs->count(); ++tab) {
      tabs->setCurrentIndex(tab);
      // Tab moves left to right along a row (a button row's buttons are made
      // in no particular order).
      QWidget* previous = nullptr;
      for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain()) {
        if (!w->isVisible() || !(w->focusPolicy() & Qt::TabFocus)) continue;
        QPoint at = w->mapTo(window, w->rect().center());
        if (previous && previous->mapTo(window, previous->rect().center()).y() == at.y())
          QVERIFY2(previous->mapTo(window, QPoint()).x() < w->mapTo(window, QPoint()).x(),
                   qPrintable(previous->objectName() + " before " + w->objectName()));
        previous = w;
      }
      for (QWidget* widget : tabs->widget(tab)->findChildren<QWidget*>()) {
        if (widget->focusPolicy() == Qt::NoFocus || !widget->isVisibleTo(window)) continue;
        if (widget->objectName().isEmpty() || widget->objectName().startsWith("qt_")) continue;
        QVERIFY2(!spokenName(widget).isEmpty(), qPrintable(widget->objectName()));
      }
    }
    // Names of their own, not their frame's.
    QCOMPARE(spokenName(env.find<QWidget>(main, "txtCookieDir")), QString("Cookie Directory"));
    QCOMPARE(spokenName(env.find<QWidget>(main, "lstcookies")), QString("Cookies"));
    QVERIFY(!spokenName(env.find<QWidget>(main, "sbar")).isEmpty());
    QStringList wipeFrames;
    for (const char* frame : {"Frame6", "Framefolder", "Framefile", "Frame9"})
      wipeFrames << spokenName(env.find<QWidget>(main, frame));
    wipeFrames.removeDuplicates();
    QCOMPARE(wipeFrames.size(), 4);
    QVERIFY(!wipeFrames.contains(QString()));
    QAccessibleInterface* link =
        QAccessible::queryAccessibleInterface(env.find<QWidget>(main, "lblurl"));
    QCOMPARE(link->role(), QAccessible::Link);

    QWidget* help = env.find<QWidget>(main, "cmdhelp");
    QWidget* ok = env.find<QWidget>(main, "cmdok");
    QVERIFY(ok->geometry().left() - help->geometry().right() > 1);
    env.windows.unloadAll();
  }

  // Last: the signal ends the event loop for the rest of this program.
  void terminationSignalAppliesTheAutostartBoxThenEnds() {
    ViewEnv env;
    platform::HKEY key = 0;
    env.fake.registry.RegCreateKey(platform::HKEY_CURRENT_USER, app::kRunKey, key);
    env.fake.registry.RegCloseKey(key);
    app::Modmain app(env.platform);
    // The widgets go before the window models they mirror, as in main().
    auto unloadViews = qScopeGuard([&] { env.windows.unloadAll(); });
    app::frmmain& main = app.loadMainForm();
    env.windows.show(main);
    QVERIFY(QTest::qWaitForWindowExposed(env.windows.windowOf(main)));
    env.find<QCheckBox>(main, "chkautostart")->click();  // ticked, not saved

    view_qt::quitOnTerminationSignals();
    ::raise(SIGTERM);
    QCOMPARE(view_qt::runUntilEnd(app, env.windows), 0);
    QVERIFY(view_qt::terminationRequested());
    QCOMPARE(app.mainForm(), nullptr);
    env.fake.registry.RegOpenKey(platform::HKEY_CURRENT_USER, app::kRunKey, key);
    std::uint32_t type = 0, size = 0;
    QCOMPARE(env.fake.registry.RegQueryValueEx(key, identity::kAppTitle, &type, nullptr, &size),
             0L);
    env.fake.registry.RegCloseKey(key);
    QVERIFY(env.fake.msgbox.shown.empty());
  }
};

QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
