#include "view/qt/main_window.h"

#include <QHBoxLayout>
#include <QLayout>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <functional>

#include "app/frmmain.h"
#include "view/qt/list_bindings.h"
#include "view/qt/main_pages.h"
#include "view/qt/pictures.h"
#include "view/qt/simple_bindings.h"
#include "view/qt/small_windows.h"
#include "view/qt/status_bar_binding.h"

namespace view_qt {
namespace {

constexpr int kBannerHeight = 64;

// Lays out a hidden widget tree top-down, as showing it would.
void layOut(QWidget* widget) {
  if (QLayout* layout = widget->layout()) {
    layout->invalidate();
    layout->activate();
  }
  for (QObject* child : widget->children())
    if (auto* w = qobject_cast<QWidget*>(child); w && !w->isWindow()) layOut(w);
}

}  // namespace

MainWindow::MainWindow(app::frmmain& f) : FormWindow(f) {
  setWindowIcon(programIcon());
  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(0, 0, 0, 0);
  root->setSpacing(0);

  auto* banner = new SvgPicture(QStringLiteral(":/tracesweep/banner.svg"), this);
  banner->setBackground(QColor(0x0b, 0x3d, 0x6b), QColor(0x2a, 0x8f, 0xc9));
  banner->setFixedHeight(kBannerHeight);
  banner->setMinimumWidth(1);
  bindPlain(f.Picture1, banner);
  banner->setAccessibleName(QStringLiteral("Tracesweep"));
  root->addWidget(banner);

  // The root's spacing of 0 keeps the banner and the status bar flush; the
  // layouts inside use the style's own spacing, not that 0.
  int spacing = style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing);
  if (spacing < 0) spacing = 6;  // what styles without a layout metric use
  auto* body = new QVBoxLayout;
  body->setSpacing(spacing);
  body->setContentsMargins(10, 10, 10, 6);
  tabs_ = new QTabWidget(this);
  tabs_->addTab(buildGeneralPage(f), QString());
  tabs_->addTab(buildCookiesPage(f.cookies), QString());
  tabs_->addTab(buildCachePage(f.cache), QString());
  tabs_->addTab(buildHistoryPage(f.history), QString());
  tabs_->addTab(buildWipePage(f.wipe, f.freeSpace), QString());
  tabs_->addTab(buildAboutPage(f), QString());
  bindTabs(f.SSTab1, tabs_, [&f] { f.SSTab1_Click(); });
  body->addWidget(tabs_, 1);

  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(spacing);
  buttons->setContentsMargins(0, 4, 0, 0);
  buttons->addStretch(1);
  auto* help = new QPushButton(this);
  bindButton(f.cmdhelp, help, [&f] { f.cmdhelp_Click(); });
  auto* ok = new QPushButton(this);
  bindButton(f.cmdok, ok, [&f] { f.cmdok_Click(); });
  buttons->addWidget(help);
  buttons->addWidget(ok);
  body->addLayout(buttons);
  root->addLayout(body, 1);

  auto* bar = new QStatusBar(this);
  bindStatusBar(f.sbar, bar);
  bar->setAccessibleName(QStringLiteral("Status"));
  root->addWidget(bar);

  setMinimumSize(600, 460);
  resize(660, 500);
  centreOnScreen(this);
}

void MainWindow::prepareActivation() {
  if (QLayout* own = layout()) own->activate();
  QWidget* current = tabs_->currentWidget();
  for (int i = 0; i < tabs_->count(); ++i) {
    QWidget* page = tabs_->widget(i);
    if (page != current && current) page->setGeometry(current->geometry());
    layOut(page);
    for (QTableView* list : page->findChildren<QTableView*>()) reportListWidth(list);
  }
}

}  // namespace view_qt
