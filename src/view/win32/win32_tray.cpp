#include "view/win32/win32_tray.h"

namespace view_win32 {
namespace {

constexpr UINT kIconId = 1;
constexpr UINT_PTR kPendingPressTimer = 1;

}  // namespace

Win32Tray::Win32Tray(HINSTANCE instance, HICON icon) : icon_(icon) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = windowProc;
  wc.hInstance = instance;
  wc.lpszClassName = "TracesweepTray";
  RegisterClassExA(&wc);
  // A hidden top-level window, never shown: the owner of the icon.
  window_ = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                            nullptr, instance, nullptr);
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32Tray::~Win32Tray() {
  if (added_) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window_;
    data.uID = kIconId;
    Shell_NotifyIconA(NIM_DELETE, &data);
  }
  if (window_) DestroyWindow(window_);
}

bool Win32Tray::available() const {
  if (tried_) return added_;
  return FindWindowA("Shell_TrayWnd", nullptr) != nullptr;
}

bool Win32Tray::addIcon(const std::string& tip, std::function<void(int)> onMessage) {
  onMessage_ = std::move(onMessage);
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = window_;
  data.uID = kIconId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = WM_TS_TRAY;
  data.hIcon = icon_;
  lstrcpynA(data.szTip, tip.c_str(), sizeof(data.szTip));
  tried_ = true;
  added_ = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
  return added_;
}

void Win32Tray::deliver(UINT message) {
  switch (message) {
    case forms::WM_LBUTTONDOWN:
      SetTimer(window_, kPendingPressTimer, GetDoubleClickTime(), nullptr);
      break;
    case forms::WM_LBUTTONDBLCLK:
      KillTimer(window_, kPendingPressTimer);
      send(forms::WM_LBUTTONDBLCLK);
      break;
    case forms::WM_RBUTTONUP:
      KillTimer(window_, kPendingPressTimer);
      send(forms::WM_RBUTTONUP);
      break;
    default:
      break;
  }
}

void Win32Tray::send(int message) {
  if (onMessage_) onMessage_(message);
}

LRESULT CALLBACK Win32Tray::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Win32Tray*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self && message == WM_TS_TRAY) {
    self->deliver(static_cast<UINT>(LOWORD(lParam)));
    return 0;
  }
  if (self && message == WM_TIMER && wParam == kPendingPressTimer) {
    KillTimer(window, kPendingPressTimer);
    self->send(forms::WM_LBUTTONDOWN);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace view_win32
