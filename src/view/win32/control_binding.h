// Binds one control model to one window, both ways. The program's changes are
// coalesced: the window is brought up to date once, from the message loop,
// and at once when the program asks for a repaint (Refresh). A user's action
// is written into the model and then the window's handler runs.
#pragma once

#include <functional>

#include "forms/controls.h"
#include "view/win32/win32_headers.h"

namespace view_win32 {

class FormWindow;
using Handler = std::function<void()>;

// After painting outside the message loop: lets what was painted reach the
// screen.
void showPainted();

class Binding {
 public:
  Binding(FormWindow& owner, forms::Control& control, HWND window);
  virtual ~Binding();
  Binding(const Binding&) = delete;
  Binding& operator=(const Binding&) = delete;

  // The model is going away: stop listening and never touch it again.
  void detach();
  bool attached() const { return attached_; }
  // Brings the window up to date with the model now.
  void sync();
  HWND window() const { return window_; }
  forms::Control& control() { return control_; }

  // Notifications of the window, routed here by its form window.
  virtual bool onCommand(UINT /*code*/) { return false; }
  virtual bool onNotify(NMHDR* /*header*/, LRESULT& /*result*/) { return false; }
  virtual bool onDrawItem(const DRAWITEMSTRUCT& /*item*/) { return false; }
  // The window was moved or resized by the layout.
  virtual void resized() {}

 protected:
  // Model to window; the base applies Enabled.
  virtual void pull();
  // Called for every change of the model; the default coalesces.
  virtual void modelChanged();
  // Refresh: paint the window now.
  virtual void repaintNow();
  // Runs a user's change into the model without echoing it back.
  void writeModel(const std::function<void()>& write);
  // Runs the window's handler for a user's action, unless the model is gone.
  void runHandler(const Handler& handler);
  FormWindow& owner() { return owner_; }
  bool writing() const { return writing_; }

 private:
  FormWindow& owner_;
  forms::Control& control_;
  HWND window_;
  bool attached_ = true;
  bool writing_ = false;
};

}  // namespace view_win32
