#include "view/qt/form_window.h"

#include <QCloseEvent>
#include <QGuiApplication>

#include "view/qt/control_binding.h"

namespace view_qt {
namespace {

// The caption, Enabled and the mouse pointer: 11 shows the busy cursor over
// the whole program until the pointer is set back to 0.
class FormBinding : public ControlBinding {
 public:
  FormBinding(forms::Form& form, FormWindow* window)
      : ControlBinding(form, window), form_(form), window_(window) {
    sync();
  }
  ~FormBinding() override { setBusy(false); }

  void release() { setBusy(false); }

 protected:
  // The pointer must change before the work starts, not when it has ended.
  void modelChanged() override { sync(); }

  void pull() override {
    ControlBinding::pull();
    window_->setWindowTitle(QString::fromStdString(form_.Caption()));
    setBusy(form_.MousePointer() == forms::vbHourglass);
  }

 private:
  void setBusy(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    if (busy)
      QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
      QGuiApplication::restoreOverrideCursor();
  }

  forms::Form& form_;
  FormWindow* window_;
  bool busy_ = false;
};

}  // namespace

FormWindow::FormWindow(forms::Form& form, Qt::WindowFlags flags)
    : QWidget(nullptr, flags), form_(form) {
  setObjectName(QString::fromStdString(form.Name()));
  new FormBinding(form, this);
}

FormWindow::~FormWindow() = default;

void FormWindow::detachAll() {
  if (!attached_) return;
  attached_ = false;
  onActivated_ = nullptr;
  for (ControlBinding* binding : findChildren<ControlBinding*>()) {
    if (auto* formBinding = dynamic_cast<FormBinding*>(binding)) formBinding->release();
    binding->detach();
  }
}

bool FormWindow::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate && attached_) {
    activatedSinceShow_ = true;
    // The handler may unload this window; it is deleted later, not now.
    if (onActivated_) {
      auto handler = onActivated_;
      handler();
    }
  }
  return QWidget::event(event);
}

void FormWindow::closeEvent(QCloseEvent* event) {
  // The model decides: the owner unloads the window, which destroys this widget.
  event->ignore();
  if (attached_) form_.userClose();
}

}  // namespace view_qt
