// The splash and the progress window of the exit run.
#pragma once

#include "view/qt/form_window.h"

namespace app {
class frmSplash;
class frmCleanUp;
}  // namespace app

namespace view_qt {

// Frameless, 490 by 280, centred: the artwork with the version, the
// publisher line and the current start-up step over it.
class SplashWindow : public FormWindow {
  Q_OBJECT
 public:
  explicit SplashWindow(app::frmSplash& splash);
};

// "Working...": one label with the current step, centred.
class CleanUpWindow : public FormWindow {
  Q_OBJECT
 public:
  explicit CleanUpWindow(app::frmCleanUp& cleanUp);
  bool paintsBeforeWork() const override { return true; }
};

// Centres a window on the screen it is on.
void centreOnScreen(QWidget* window);

}  // namespace view_qt
