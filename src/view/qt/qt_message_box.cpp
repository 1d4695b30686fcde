#include "view/qt/qt_message_box.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <utility>
#include <vector>

#include "view/qt/form_window.h"

namespace view_qt {
namespace {

constexpr int vbAbort = 3;
constexpr int vbRetry = 4;
constexpr int vbIgnore = 5;

using Buttons = std::vector<std::pair<QMessageBox::StandardButton, int>>;

Buttons buttonsFor(int style) {
  switch (style & 0x7) {
    case 1:
      return {{QMessageBox::Ok, forms::vbOK}, {QMessageBox::Cancel, forms::vbCancel}};
    case 2:
      return {{QMessageBox::Abort, vbAbort},
              {QMessageBox::Retry, vbRetry},
              {QMessageBox::Ignore, vbIgnore}};
    case 3:
      return {{QMessageBox::Yes, forms::vbYes},
              {QMessageBox::No, forms::vbNo},
              {QMessageBox::Cancel, forms::vbCancel}};
    case 4:
      return {{QMessageBox::Yes, forms::vbYes}, {QMessageBox::No, forms::vbNo}};
    case 5:
      return {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, forms::vbCancel}};
    default:
      return {{QMessageBox::Ok, forms::vbOK}};
  }
}

QMessageBox::Icon iconFor(int style) {
  switch (style & 0x70) {
    case 16:
      return QMessageBox::Critical;
    case forms::vbQuestion:
      return QMessageBox::Question;
    case forms::vbExclamation:
      return QMessageBox::Warning;
    case forms::vbInformation:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

// The answer that Escape gives: Cancel, else No, else the only button.
int escapeAnswer(const Buttons& buttons) {
  for (int wanted : {forms::vbCancel, forms::vbNo})
    for (const auto& button : buttons)
      if (button.second == wanted) return wanted;
  return buttons.back().second;
}

// The box stands over the program's active window, but never over a window
// already unloaded (the splash lingers a moment): that one is deleted soon,
// and the box with it.
QWidget* ownerWindow() {
  auto* window = qobject_cast<FormWindow*>(QApplication::activeWindow());
  return window && window->attached() ? window : nullptr;
}

}  // namespace

int QtMessageBox::show(const std::string& text, int style, const std::string& caption) {
  QMessageBox box(ownerWindow());
  box.setObjectName("msgbox");
  // A fixed-size box with a title and a close button, nothing to minimise or
  // maximise (window managers that follow the Motif hints draw just that;
  // openbox keeps a minimise button on every dialog by design).
  box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                     Qt::WindowCloseButtonHint);
  box.setWindowTitle(QString::fromStdString(caption));
  box.setTextFormat(Qt::PlainText);  // file names are shown as they are
  box.setText(QString::fromStdString(text));
  box.setIcon(iconFor(style));

  Buttons buttons = buttonsFor(style);
  int escape = escapeAnswer(buttons);
  std::size_t defaultIndex = static_cast<std::size_t>((style >> 8) & 0x3);
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    QPushButton* button = box.addButton(buttons[i].first);
    button->setIcon(QIcon());  // the style's stock pictures on buttons look dated
    if (i == defaultIndex) box.setDefaultButton(button);
    if (buttons[i].second == escape) box.setEscapeButton(button);
  }
  box.exec();
  // The caller often starts long work now; paint what the box covered first.
  if (QWidget* parent = box.parentWidget(); parent && parent->isVisible()) parent->repaint();
  QAbstractButton* clicked = box.clickedButton();
  if (!clicked) return escape;
  QMessageBox::StandardButton which = box.standardButton(clicked);
  for (const auto& button : buttons)
    if (button.first == which) return button.second;
  return escape;
}

}  // namespace view_qt
