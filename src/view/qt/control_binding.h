// Binds one control model to one widget, both ways. The program's changes are
// coalesced: the widget is brought up to date once, from the event loop, and
// at once when the program asks for a repaint (Refresh). A user's action is
// written into the model and then the window's handler runs.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

#include "forms/controls.h"

class QWidget;

namespace view_qt {

class ControlBinding : public QObject {
  Q_OBJECT
 public:
  // The binding is a child of the widget and lives as long as it does.
  ControlBinding(forms::Control& control, QWidget* widget);
  ~ControlBinding() override;

  // The model is going away: stop listening and never touch it again.
  void detach();
  bool attached() const { return attached_; }
  // Brings the widget up to date with the model now.
  void sync();

 protected:
  forms::Control& control() { return control_; }
  QWidget* widget() const { return widget_; }
  // Model to widget; the base applies Enabled.
  virtual void pull();
  // The model is gone; a binding that reads it elsewhere (an item model) lets go.
  virtual void released() {}
  // Called for every change of the model; the default coalesces.
  virtual void modelChanged();
  void schedule();
  // Runs a user's change into the model without echoing it back.
  void writeModel(const std::function<void()>& write);
  // Runs the window's handler for a user's action, unless the model is gone.
  void runHandler(const std::function<void()>& handler);
  bool writing() const { return writing_; }

 private:
  void repaintNow();

  forms::Control& control_;
  QPointer<QWidget> widget_;
  bool attached_ = true;
  bool pending_ = false;
  bool writing_ = false;
};

}  // namespace view_qt
