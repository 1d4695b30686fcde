// The notification-area icon through Shell_NotifyIconA. The shell reports the
// icon's mouse messages to a hidden window with the callback message; they
// reach the program as their numbers (0x201, 0x203, 0x205). A double click
// arrives as a press first: that press waits for the double-click interval
// and is dropped when the double click follows, so a double click shows the
// main window instead of opening the menu twice.
#pragma once

#include <functional>
#include <string>

#include "forms/tray.h"
#include "view/win32/win32_headers.h"

namespace view_win32 {

class Win32Tray : public forms::TrayService {
 public:
  Win32Tray(HINSTANCE instance, HICON icon);
  ~Win32Tray() override;
  Win32Tray(const Win32Tray&) = delete;
  Win32Tray& operator=(const Win32Tray&) = delete;

  bool available() const override;
  bool addIcon(const std::string& tip, std::function<void(int)> onMessage) override;

  // What the shell reports for the icon (its lParam).
  void deliver(UINT message);
  HWND window() const { return window_; }

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void send(int message);

  HWND window_ = nullptr;
  HICON icon_;
  bool tried_ = false;
  bool added_ = false;
  std::function<void(int)> onMessage_;
};

}  // namespace view_win32
