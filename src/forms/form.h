// A window of the program: a plain model with the program's event handlers.
// The window manager service creates and destroys its view; the view calls
// the handlers (activation, a user's close) and nothing else.
#pragma once

#include <functional>
#include <string>

#include "forms/controls.h"

namespace forms {

inline constexpr int vbDefault = 0;
inline constexpr int vbHourglass = 11;

class Form : public Control {
 public:
  using Control::Control;

  virtual void Form_Load() {}
  virtual void Form_Activate() {}
  // Runs for every way of closing. The program never cancels a close.
  virtual void Form_QueryUnload() {}

  int MousePointer() const { return mousePointer_; }
  void setMousePointer(int pointer);

  // Set by whoever owns the window: what a user's close (the close box, the
  // system menu) does. The view calls userClose(); the owner unloads.
  void setCloseRequestHandler(std::function<void()> handler) {
    onCloseRequest_ = std::move(handler);
  }
  void userClose();

 private:
  int mousePointer_ = vbDefault;
  std::function<void()> onCloseRequest_;
};

// Sets the hourglass for the lifetime of the guard, so that no failure can
// leave it behind.
class HourglassGuard {
 public:
  explicit HourglassGuard(Form& form) : form_(form) { form_.setMousePointer(vbHourglass); }
  ~HourglassGuard() { form_.setMousePointer(vbDefault); }
  HourglassGuard(const HourglassGuard&) = delete;
  HourglassGuard& operator=(const HourglassGuard&) = delete;

 private:
  Form& form_;
};

}  // namespace forms
