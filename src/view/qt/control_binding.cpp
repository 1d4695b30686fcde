#include "view/qt/control_binding.h"

#include <QTimer>
#include <QWidget>

namespace view_qt {

ControlBinding::ControlBinding(forms::Control& control, QWidget* widget)
    : QObject(widget), control_(control), widget_(widget) {
  control_.setChangeListener([this] {
    if (!writing_) modelChanged();
  });
  control_.setRefreshHandler([this] { repaintNow(); });
  control_.setFocusHandler([this] {
    if (widget_) widget_->setFocus(Qt::OtherFocusReason);
  });
}

ControlBinding::~ControlBinding() {
  detach();
}

void ControlBinding::detach() {
  if (!attached_) return;
  attached_ = false;
  control_.detachView();
  released();
}

void ControlBinding::sync() {
  pending_ = false;
  if (attached_ && widget_) pull();
}

void ControlBinding::pull() {
  widget_->setEnabled(control_.Enabled());
}

void ControlBinding::modelChanged() {
  schedule();
}

void ControlBinding::schedule() {
  if (pending_) return;
  pending_ = true;
  QTimer::singleShot(0, this, [this] {
    if (pending_) sync();
  });
}

void ControlBinding::writeModel(const std::function<void()>& write) {
  if (!attached_) return;
  writing_ = true;
  write();
  writing_ = false;
}

void ControlBinding::runHandler(const std::function<void()>& handler) {
  // The handler may unload the window; nothing of this binding is used after it.
  if (attached_ && handler) handler();
}

void ControlBinding::repaintNow() {
  sync();
  if (widget_ && widget_->isVisible()) widget_->repaint();
}

}  // namespace view_qt
