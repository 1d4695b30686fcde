#include "view/win32/win32_message_box.h"

#include "view/win32/win32_headers.h"
#include "view/win32/win32_window_manager.h"

namespace view_win32 {

int Win32MessageBox::show(const std::string& text, int style, const std::string& caption) {
  // The box stands over the program's active window; with none (the tray's
  // menu, the start-up) it comes to the front by itself.
  HWND owner = windows_.ownerWindow();
  UINT flags = static_cast<UINT>(style) & (MB_TYPEMASK | MB_ICONMASK | MB_DEFMASK);
  flags |= owner ? MB_APPLMODAL : MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST;
  // The busy pointer is not meant for the box's buttons.
  bool busy = windows_.busy();
  if (busy) SetCursor(LoadCursor(nullptr, IDC_ARROW));
  int answer = MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
  if (busy) SetCursor(LoadCursor(nullptr, IDC_WAIT));
  // The caller often starts long work now; paint what the box covered first.
  if (owner && IsWindowVisible(owner)) UpdateWindow(owner);
  if (answer == 0) {
    // The box could not be shown: the answer that closing it would give.
    int buttons = style & 0x7;
    return buttons == MB_YESNO ? forms::vbNo : buttons == MB_OK ? forms::vbOK : forms::vbCancel;
  }
  return answer;
}

}  // namespace view_win32
