#include "view/win32/control_binding.h"

#include "view/win32/form_window.h"

namespace view_win32 {

Binding::Binding(FormWindow& owner, forms::Control& control, HWND window)
    : owner_(owner), control_(control), window_(window) {
  control_.setChangeListener([this] {
    if (!writing_) modelChanged();
  });
  control_.setRefreshHandler([this] { repaintNow(); });
  control_.setFocusHandler([this] {
    if (IsWindow(window_)) SetFocus(window_);
  });
}

Binding::~Binding() {
  detach();
}

void Binding::detach() {
  if (!attached_) return;
  attached_ = false;
  control_.detachView();
}

void Binding::sync() {
  if (attached_ && IsWindow(window_)) pull();
}

void Binding::pull() {
  EnableWindow(window_, control_.Enabled() ? TRUE : FALSE);
}

void Binding::modelChanged() {
  owner_.schedule(this);
}

void Binding::repaintNow() {
  sync();
  if (!IsWindowVisible(window_)) return;
  RedrawWindow(window_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  showPainted();
}

void showPainted() {
  // Work that repaints does not return to the message loop. Looking at the
  // queue (taking nothing from it) hands what was painted to the screen where
  // that waits for the loop (Wine), and keeps the system from declaring the
  // program hung and painting a ghost over its windows.
  // The filter matches no message, so the look finds the queue empty: only
  // then does Wine hand the paint over.
  MSG message;
  PeekMessageA(&message, nullptr, WM_TS_NEVER, WM_TS_NEVER, PM_NOREMOVE | PM_NOYIELD);
}

void Binding::writeModel(const std::function<void()>& write) {
  if (!attached_) return;
  writing_ = true;
  write();
  writing_ = false;
}

void Binding::runHandler(const Handler& handler) {
  // The handler may unload the window; its objects live on until the message
  // loop has returned from this notification.
  if (attached_ && handler) handler();
}

}  // namespace view_win32
