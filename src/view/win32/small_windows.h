// The splash and the progress window of the exit run.
#pragma once

#include "view/win32/form_window.h"

namespace app {
class frmSplash;
class frmCleanUp;
}  // namespace app

namespace view_win32 {

// Frameless, 490 by 280, centred: the artwork with the version, the
// publisher line and the current start-up step drawn over it.
class SplashWindow : public FormWindow {
 public:
  SplashWindow(Win32WindowManager& manager, app::frmSplash& splash);
  ~SplashWindow() override;

 protected:
  LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void fontsChanged() override;

 private:
  class OverlayLabel;
  void paint(HDC dc);

  OverlayLabel* version_;
  OverlayLabel* action_;
  OverlayLabel* general_;
  HFONT smallFont_ = nullptr;
};

// "Working...": one label with the current step, centred.
class CleanUpWindow : public FormWindow {
 public:
  CleanUpWindow(Win32WindowManager& manager, app::frmCleanUp& cleanUp);

 protected:
  void layout() override;

 private:
  HWND label_ = nullptr;
};

}  // namespace view_win32
