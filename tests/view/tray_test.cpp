// The tray icon's activations as the program's mouse messages, and a double
// click that shows the main window without also popping up the menu.
#include <QApplication>
#include <QtTest>
#include <vector>

#include "app/modmain.h"
#include "forms/fake/fake_platform.h"
#include "view/qt/qt_tray.h"

class TrayTest : public QObject {
  Q_OBJECT

 private slots:
  void activationsBecomeMessageNumbers() {
    view_qt::QtTray tray{QIcon()};
    std::vector<int> got;
    tray.addIcon(" Norrick Tracesweep", [&got](int message) { got.push_back(message); });
    QCOMPARE(tray.icon()->toolTip(), QString(" Norrick Tracesweep"));

    tray.deliver(QSystemTrayIcon::Context);
    QCOMPARE(got, std::vector<int>{0x205});

    got.clear();
    tray.deliver(QSystemTrayIcon::Trigger);
    QVERIFY(got.empty());  // waits: this may be the first click of two
    QTRY_COMPARE(got, std::vector<int>{0x201});

    got.clear();
    tray.deliver(QSystemTrayIcon::MiddleClick);
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    QVERIFY(got.empty());
  }

  void doubleClickDeliversOnlyTheDoubleClick() {
    view_qt::QtTray tray{QIcon()};
    std::vector<int> got;
    tray.addIcon("tip", [&got](int message) { got.push_back(message); });
    // What a double click reports: a click, a click, the double click.
    tray.deliver(QSystemTrayIcon::Trigger);
    tray.deliver(QSystemTrayIcon::Trigger);
    tray.deliver(QSystemTrayIcon::DoubleClick);
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    QCOMPARE(got, std::vector<int>{0x203});
  }

  void doubleClickOnTheIconShowsTheMainWindowWithoutTheMenu() {
    forms::fake::FakePlatform fake;
    view_qt::QtTray tray{QIcon()};
    forms::Platform bundle{forms::withView(
        platform::System{fake.files, fake.registry, fake.settings, fake.urlCache, fake.history,
                         fake.trash, fake.shell, fake.downloader, fake.process},
        fake.msgbox, fake.dialogs, fake.windows, tray)};
    app::Modmain app(bundle);
    app.Main();
    fake.windows.log.clear();

    tray.deliver(QSystemTrayIcon::Trigger);
    tray.deliver(QSystemTrayIcon::DoubleClick);
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    QCOMPARE(fake.windows.log, std::vector<std::string>{"show frmmain"});

    fake.windows.log.clear();
    tray.deliver(QSystemTrayIcon::Context);
    QCOMPARE(fake.windows.log, std::vector<std::string>{"menu"});
    QCOMPARE(fake.windows.lastMenu, (std::vector<std::string>{"Show Tracesweep", "About", "Exit"}));
  }
};

QTEST_MAIN(TrayTest)
#include "tray_test.moc"
