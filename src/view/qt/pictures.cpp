#include "view/qt/pictures.h"

#include <QAccessibleWidget>
#include <QIcon>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>

// The artwork is compiled into this static library; a static library's
// resources are registered explicitly.
static void registerResources() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(resources);
    return true;
  }();
  (void)registered;
}

namespace view_qt {

SvgPicture::SvgPicture(const QString& resource, QWidget* parent)
    : QWidget(parent), renderer_((registerResources(), new QSvgRenderer(resource, this))) {}

void SvgPicture::setBackground(QColor from, QColor to) {
  from_ = from;
  to_ = to;
  update();
}

QSize SvgPicture::sizeHint() const {
  return renderer_->defaultSize();
}

void SvgPicture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  if (from_.isValid()) {
    QLinearGradient gradient(0, 0, width(), 0);
    gradient.setColorAt(0, from_);
    gradient.setColorAt(1, to_);
    painter.fillRect(rect(), gradient);
  }
  QSizeF art = renderer_->defaultSize();
  if (art.isEmpty()) return;
  double scale = std::min(height() / art.height(), width() / art.width());
  renderer_->render(&painter, QRectF(0, 0, art.width() * scale, art.height() * scale));
}

namespace {

// A screen reader announces the link as a link, by its text, and can follow it.
class LinkAccessible : public QAccessibleWidget {
 public:
  explicit LinkAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Link) {}
  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
      return static_cast<QLabel*>(widget())->text();
    return QAccessibleWidget::text(kind);
  }
  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString& action) override {
    if (action == pressAction()) emit static_cast<LinkLabel*>(widget())->clicked();
  }
};

QAccessibleInterface* linkAccessible(const QString& className, QObject* object) {
  if (className == QLatin1String(LinkLabel::staticMetaObject.className()) && object &&
      object->isWidgetType())
    return new LinkAccessible(static_cast<QWidget*>(object));
  return nullptr;
}

}  // namespace

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent) {
  static const bool factoryInstalled = (QAccessible::installFactory(linkAccessible), true);
  (void)factoryInstalled;
  setTextFormat(Qt::PlainText);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::TabFocus);
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, pal.color(QPalette::Link));
  setPalette(pal);
  QFont underlined = font();
  underlined.setUnderline(true);
  setFont(underlined);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
    emit clicked();
  QLabel::mouseReleaseEvent(event);
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
      event->key() == Qt::Key_Space) {
    emit clicked();
    return;
  }
  QLabel::keyPressEvent(event);
}

QIcon programIcon() {
  registerResources();
  return QIcon(QStringLiteral(":/tracesweep/tracesweep.svg"));
}

}  // namespace view_qt
