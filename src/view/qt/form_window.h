// The base of every window's widget: it mirrors the form's caption and mouse
// pointer, reports activation to the window manager and turns a user's close
// into the form's userClose(); the model decides and unloads.
#pragma once

#include <QWidget>
#include <functional>

#include "forms/form.h"

namespace view_qt {

class FormWindow : public QWidget {
  Q_OBJECT
 public:
  explicit FormWindow(forms::Form& form, Qt::WindowFlags flags = {});
  ~FormWindow() override;

  forms::Form& form() const { return form_; }
  bool attached() const { return attached_; }
  // The form is unloaded: detach every control's view and never call it again.
  void detachAll();

  // Runs on every activation of the window (set by the window manager).
  void setActivationHandler(std::function<void()> handler) { onActivated_ = std::move(handler); }
  // Whether an activation arrived since the window was last shown.
  bool activatedSinceShow() const { return activatedSinceShow_; }
  void markShown() { activatedSinceShow_ = false; }

  // Called right before the activation handler; lays out what it measures.
  virtual void prepareActivation() {}
  // A window that shows progress of work that follows its showing at once
  // must be on screen before the work starts.
  virtual bool paintsBeforeWork() const { return false; }

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  forms::Form& form_;
  bool attached_ = true;
  bool activatedSinceShow_ = false;
  std::function<void()> onActivated_;
};

}  // namespace view_qt
