#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "app/frmmain.h"
#include "view/qt/control_binding.h"
#include "view/qt/main_pages.h"
#include "view/qt/pictures.h"
#include "view/qt/simple_bindings.h"

namespace view_qt {
namespace {

QLabel* textLabel(forms::Label& model, QWidget* parent, bool wrap) {
  auto* widget = new QLabel(parent);
  bindLabel(model, widget);
  widget->setWordWrap(wrap);
  widget->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return widget;
}

}  // namespace

QWidget* buildAboutPage(app::frmmain& f) {
  auto* page = new QWidget;
  auto* layout = new QGridLayout(page);
  layout->setHorizontalSpacing(18);
  layout->setVerticalSpacing(10);

  auto* picture = new SvgPicture(QStringLiteral(":/tracesweep/about.svg"), page);
  picture->setFixedSize(120, 160);
  bindPlain(f.Picture2, picture);
  layout->addWidget(picture, 0, 0, 3, 1, Qt::AlignTop);

  QLabel* name = textLabel(f.lblappname, page, false);
  QFont bold = name->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.4);
  name->setFont(bold);
  layout->addWidget(name, 0, 1);
  layout->addWidget(textLabel(f.lblproginfo, page, true), 1, 1);
  layout->addWidget(textLabel(f.lbladdress, page, false), 2, 1, Qt::AlignTop);

  auto* line = new QFrame(page);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  bindPlain(f.Line1, line);
  layout->addWidget(line, 3, 0, 1, 2);

  auto* url = new LinkLabel(page);
  bindLabel(f.lblurl, url);
  QObject::connect(url, &LinkLabel::clicked, url, [&f, url] {
    // After an unload the widget lingers until it is deleted; the form may not.
    for (auto* binding : url->findChildren<ControlBinding*>())
      if (!binding->attached()) return;
    f.lblurl_Click();
  });
  layout->addWidget(url, 4, 1, Qt::AlignLeft);

  QLabel* warning = textLabel(f.lblwarning, page, true);
  QFont small = warning->font();
  small.setPointSizeF(small.pointSizeF() * 0.9);
  warning->setFont(small);
  layout->addWidget(warning, 5, 0, 1, 2);

  layout->setRowStretch(6, 1);
  auto* updates = new QPushButton(page);
  bindButton(f.cmdcheckForUpdates, updates, [&f] { f.cmdcheckForUpdates_Click(); });
  layout->addWidget(updates, 7, 1, Qt::AlignRight);
  layout->setColumnStretch(1, 1);
  return page;
}

}  // namespace view_qt
