// The status bar: panel 1 the running action's text, panel 2 the time of day
// (kept current by the view), and a progress bar shown while the model's
// progress maximum is above 0.
#pragma once

#include "forms/controls.h"

class QStatusBar;

namespace view_qt {

// Fills the bar with its panels and binds it. The bar paints a change at
// once (at most every 50 ms), so long work shows its progress.
void bindStatusBar(forms::StatusBar& sbar, QStatusBar* widget);

}  // namespace view_qt
