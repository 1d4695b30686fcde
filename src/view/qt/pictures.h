// Widgets the view draws itself: artwork from the resources and the link label.
#pragma once

#include <QColor>
#include <QLabel>
#include <QString>
#include <QWidget>

class QSvgRenderer;

namespace view_qt {

// Paints an SVG from the resources, scaled to the widget's height and kept
// in proportion, at the left; the rest is filled with a gradient when given.
class SvgPicture : public QWidget {
  Q_OBJECT
 public:
  explicit SvgPicture(const QString& resource, QWidget* parent = nullptr);
  // Fills the whole width from `from` to `to` behind the artwork.
  void setBackground(QColor from, QColor to);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QSvgRenderer* renderer_;
  QColor from_, to_;
};

// A label drawn as a web link: link colour, underlined, a pointing hand;
// a click (or Enter/Space when it has the focus) emits clicked().
class LinkLabel : public QLabel {
  Q_OBJECT
 public:
  explicit LinkLabel(QWidget* parent = nullptr);

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};

// The program icon from the resources.
QIcon programIcon();

}  // namespace view_qt
