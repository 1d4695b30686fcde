// The status bar: panel 1 the running action's text, a progress display for
// long work (shown while its maximum is above 0), panel 2 the time of day.
#pragma once

#include "forms/controls.h"
#include "view/win32/control_binding.h"

namespace view_win32 {

class StatusBarBinding : public Binding {
 public:
  StatusBarBinding(FormWindow& owner, forms::StatusBar& sbar, HWND parent);
  // Sizes the bar to its parent and lays out its panels; returns its height.
  int layOut();
  // Writes the time of day into panel 2 (once a minute it changes).
  void tick();

 protected:
  void pull() override;
  // Work that reports progress runs without returning to the message loop, so
  // the bar is brought up to date and painted at once.
  void modelChanged() override;
  void repaintNow() override;

 private:
  void paintNow();

  forms::StatusBar& sbar_;
  HWND progress_;
  DWORD painted_ = 0;
};

}  // namespace view_win32
