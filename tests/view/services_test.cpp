// The message box's answers (Escape and the close box included), the file
// dialog's filter and the folder picker's title.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "view/qt/qt_dialogs.h"
#include "view/qt/qt_message_box.h"

namespace {

// Acts on the next message box once it is up.
void whenBoxShows(std::function<void(QMessageBox*)> act) {
  QTimer::singleShot(0, [act] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return whenBoxShows(act);
    act(box);
  });
}

void pressEscape(QMessageBox* box) {
  QTest::keyClick(box, Qt::Key_Escape);
}

}  // namespace

class ServicesTest : public QObject {
  Q_OBJECT

 private slots:
  void escapeAnswersCancelNoOrOk() {
    view_qt::QtMessageBox msgbox;
    whenBoxShows(pressEscape);
    QCOMPARE(msgbox.show("Do you wish to end the application?", forms::vbOKCancel, " T"),
             forms::vbCancel);
    whenBoxShows(pressEscape);
    QCOMPARE(msgbox.show("Delete?", forms::vbYesNo | forms::vbQuestion, " T"), forms::vbNo);
    whenBoxShows(pressEscape);
    QCOMPARE(msgbox.show("Warning!", forms::vbExclamation, " T"), forms::vbOK);
    whenBoxShows([](QMessageBox* box) { box->close(); });
    QCOMPARE(msgbox.show("Close box", forms::vbOKCancel, " T"), forms::vbCancel);
  }

  void buttonsIconCaptionAndPlainText() {
    view_qt::QtMessageBox msgbox;
    whenBoxShows([](QMessageBox* box) {
      QCOMPARE(box->windowTitle(), QString(" Norrick Tracesweep"));
      QCOMPARE(box->icon(), QMessageBox::Information);
      QCOMPARE(box->textFormat(), Qt::PlainText);
      QCOMPARE(box->text(), QString("<b>a</b> wiped"));
      QCOMPARE(box->buttons().size(), 2);
      box->button(QMessageBox::Yes)->click();
    });
    QCOMPARE(
        msgbox.show("<b>a</b> wiped", forms::vbYesNo | forms::vbInformation, " Norrick Tracesweep"),
        forms::vbYes);
  }

  void filtersAndPromptsInQtForm() {
    QCOMPARE(view_qt::toQtFilter("All Files (*.*)|*.*"), QString("All Files (*)"));
    QCOMPARE(view_qt::toQtFilter("Text (*.txt;*.log)|*.txt;*.log|All Files (*.*)|*.*"),
             QString("Text (*.txt *.log);;All Files (*)"));
    QCOMPARE(view_qt::withoutMnemonics("&Select folder to wipe"), QString("Select folder to wipe"));
    QCOMPARE(view_qt::withoutMnemonics("Fish && &Chips"), QString("Fish & Chips"));
  }
};

QTEST_MAIN(ServicesTest)
#include "services_test.moc"
