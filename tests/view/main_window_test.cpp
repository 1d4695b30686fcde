// Wiring of the main window: widgets found by the controls' names, user
// actions reaching the model and its handlers, program changes reaching the
// widgets.
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeView>
#include <QtTest>
#include <memory>

#include "app/modmain.h"
#include "identity.h"
#include "view_env.h"

using view_test::ViewEnv;

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    env_ = std::make_unique<ViewEnv>();
    app_ = std::make_unique<app::Modmain>(env_->platform);
    main_ = &app_->loadMainForm();
    env_->windows.show(*main_);
    QVERIFY(QTest::qWaitForWindowExposed(window()));
  }

  void cleanup() {
    env_->windows.unloadAll();
    app_.reset();
    env_.reset();
  }

  void checkBoxClickSetsTheValueThenRunsTheHandler() {
    auto* box = find<QCheckBox>("chkEmptyRecycleBin");
    QVERIFY(box);
    QCOMPARE(box->text(), QString("Empty Recycle Bin"));
    box->click();
    QCOMPARE(main_->chkEmptyRecycleBin.Value(), 1);
    QCOMPARE(env_->fake.trash.emptied, 1);
    box->click();  // unticking runs the handler, which does nothing then
    QCOMPARE(main_->chkEmptyRecycleBin.Value(), 0);
    QCOMPARE(env_->fake.trash.emptied, 1);
  }

  void programChangesReachTheWidgetsWithoutRunningHandlers() {
    main_->chkEmptyRecycleBin.setValue(1);
    main_->wipe.txtFolderToWipe.setText("/data/old");
    auto* box = find<QCheckBox>("chkEmptyRecycleBin");
    auto* folder = find<QLineEdit>("txtFolderToWipe");
    QTRY_VERIFY(box->isChecked());
    QTRY_COMPARE(folder->text(), QString("/data/old"));
    QCOMPARE(env_->fake.trash.emptied, 0);

    // Refresh paints at once, without the event loop.
    main_->lblwarning.setCaption("changed");
    main_->lblwarning.Refresh();
    QCOMPARE(find<QLabel>("lblwarning")->text(), QString("changed"));
  }

  void userTabChangeSelectsTheTabThenRunsSSTab1Click() {
    env_->fake.urlCache.entries = {{"http://a.example/"}, {"http://b.example/"}};
    auto* tabs = find<QTabWidget>("SSTab1");
    QCOMPARE(tabs->tabText(4), QString("Secure Wipe"));
    tabs->setCurrentIndex(app::kTabCache);
    QCOMPARE(main_->SSTab1.Tab(), app::kTabCache);
    QCOMPARE(main_->cache.List1.ListCount(), 2);
    auto* list = find<QTreeView>("List1");
    QTRY_COMPARE(list->model()->rowCount(), 2);

    // A tab selected by the program reloads nothing.
    env_->fake.urlCache.entries.push_back({"http://c.example/"});
    main_->SSTab1.setTab(app::kTabGeneral);
    QTRY_COMPARE(tabs->currentIndex(), app::kTabGeneral);
    main_->SSTab1.setTab(app::kTabCache);
    QTRY_COMPARE(tabs->currentIndex(), app::kTabCache);
    QCOMPARE(main_->cache.List1.ListCount(), 2);
  }

  void optionButtonsAndTextBoxesWriteTheModel() {
    find<QRadioButton>("optDOD")->click();
    QVERIFY(main_->wipe.optDOD.Value());
    QVERIFY(!main_->wipe.optQuick.Value());
    QTRY_VERIFY(!find<QRadioButton>("optQuick")->isChecked());

    // The model may hold neither option; the widgets follow.
    main_->wipe.optDOD.setValue(false);
    QTRY_VERIFY(!find<QRadioButton>("optDOD")->isChecked());

    auto* file = find<QLineEdit>("txtFileToWipe");
    QTest::keyClicks(file, "report.doc");
    QCOMPARE(main_->wipe.txtFileToWipe.Text(), std::string("report.doc"));
  }

  void statusBarShowsProgressAndTheTime() {
    main_->sbar.setPanelText(1, "Currently wiping/tmp/a");
    QCOMPARE(find<QLabel>("sbarPanel1")->text(), QString("Currently wiping/tmp/a"));
    auto* progress = find<QProgressBar>("sbarProgress");
    QVERIFY(!progress->isVisible());
    main_->sbar.setProgress(2, 5);
    QVERIFY(progress->isVisible());
    QCOMPARE(progress->text(), QString("2 of 5"));
    main_->sbar.setProgress(0, 0);
    QVERIFY(!progress->isVisible());
    QVERIFY(!main_->sbar.PanelText(2).empty());
    QCOMPARE(find<QLabel>("sbarPanel2")->text(), QString::fromStdString(main_->sbar.PanelText(2)));
  }

  void hourglassIsTheBusyCursorUntilTheDefaultComesBack() {
    main_->setMousePointer(forms::vbHourglass);
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    main_->setMousePointer(forms::vbDefault);
    QVERIFY(!QGuiApplication::overrideCursor());
  }

  void linkAndHelpOpenTheirAddresses() {
    app_->makerUrl = "https://www.maker.test";
    auto* link = find<QLabel>("lblurl");
    QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
    QCOMPARE(env_->fake.shell.opened.size(), std::size_t(1));
    QCOMPARE(env_->fake.shell.opened.back(), identity::homeUrl(app_->makerUrl));
    QTest::mouseClick(find<QPushButton>("cmdhelp"), Qt::LeftButton);
    QCOMPARE(env_->fake.shell.opened.back(), identity::helpUrl(app_->makerUrl));
    QCOMPARE(find<QPushButton>("cmdok")->text(), QString("&Ok"));
  }

  void cookieColumnsGetHalfTheListWidthOnActivation() {
    const auto& list = main_->cookies.lstcookies;
    QTRY_VERIFY(list.Width() > 100);
    QCOMPARE(list.ColumnHeaders().at(0).Width, list.Width() / 2);
  }

  void closeBoxAsksTheModelAndKeepsTheWindow() {
    // Without a notification area a close runs the exit sequence; Cancel.
    env_->fake.tray.isAvailable = false;
    env_->fake.msgbox.answers = {forms::vbCancel};
    QVERIFY(!window()->close());
    QCOMPARE(env_->fake.msgbox.shown.size(), std::size_t(1));
    QCOMPARE(env_->fake.msgbox.shown.back().text,
             std::string("Do you wish to end the application?"));
    QVERIFY(app_->mainForm());
    QVERIFY(window()->isVisible());
  }

 private:
  QWidget* window() { return env_->windows.windowOf(*main_); }
  template <typename W>
  W* find(const char* name) {
    return env_->find<W>(*main_, name);
  }

  std::unique_ptr<ViewEnv> env_;
  std::unique_ptr<app::Modmain> app_;
  app::frmmain* main_ = nullptr;
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
