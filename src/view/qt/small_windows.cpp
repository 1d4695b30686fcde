#include "view/qt/small_windows.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>

#include "app/small_forms.h"
#include "view/qt/pictures.h"
#include "view/qt/simple_bindings.h"

namespace view_qt {
namespace {

QLabel* overlay(forms::Label& model, QWidget* parent, QRect where, Qt::Alignment align,
                double scale, bool bold) {
  auto* label = new QLabel(parent);
  bindLabel(model, label);
  label->setGeometry(where);
  label->setAlignment(align);
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, QColor(0xe8, 0xf2, 0xfb));
  label->setPalette(pal);
  QFont font = label->font();
  font.setPointSizeF(font.pointSizeF() * scale);
  font.setBold(bold);
  label->setFont(font);
  return label;
}

}  // namespace

void centreOnScreen(QWidget* window) {
  QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  QRect area = screen->availableGeometry();
  QSize size = window->frameGeometry().size();
  window->move(area.center() - QPoint(size.width() / 2, size.height() / 2));
}

SplashWindow::SplashWindow(app::frmSplash& s)
    : FormWindow(s, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setWindowIcon(programIcon());
  setFixedSize(490, 280);
  auto* art = new SvgPicture(QStringLiteral(":/tracesweep/splash.svg"), this);
  art->setGeometry(rect());
  bindPlain(s.Picture1, art);
  overlay(s.lblversion, this, QRect(196, 150, 270, 22), Qt::AlignLeft | Qt::AlignVCenter, 1.0,
          false);
  overlay(s.lblAction, this, QRect(24, 226, 442, 22), Qt::AlignLeft | Qt::AlignVCenter, 1.0, false);
  overlay(s.lblgeneral, this, QRect(24, 250, 442, 20), Qt::AlignRight | Qt::AlignVCenter, 0.85,
          false);
  centreOnScreen(this);
}

CleanUpWindow::CleanUpWindow(app::frmCleanUp& c)
    : FormWindow(c, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  // Only a title: nothing to minimise, maximise or close while the run works.
  setWindowIcon(programIcon());
  setFixedSize(330, 50);
  auto* layout = new QHBoxLayout(this);
  auto* label = new QLabel(this);
  bindLabel(c.lblAction, label);
  label->setAlignment(Qt::AlignCenter);
  label->setAccessibleName(QStringLiteral("Progress"));
  layout->addWidget(label);
  centreOnScreen(this);
}

}  // namespace view_qt
