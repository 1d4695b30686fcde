// The Win32 view: the window manager, message boxes, dialogs and tray, and
// the run of the program over a bundle of platform services.
#pragma once

#include "core/stores.h"
#include "forms/platform.h"
#include "platform/run_log.h"
#include "view/win32/win32_dialogs.h"
#include "view/win32/win32_message_box.h"
#include "view/win32/win32_tray.h"
#include "view/win32/win32_window_manager.h"

namespace view_win32 {

class Win32View {
 public:
  explicit Win32View(HINSTANCE instance);
  ~Win32View();
  Win32View(const Win32View&) = delete;
  Win32View& operator=(const Win32View&) = delete;

  // Runs the entry point and the message loop over the platform and the
  // areas' stores, the automatic runs logged to runLog (when given);
  // returns the exit code.
  int run(forms::Platform& platform, const core::Stores& stores,
          platform::RunLog* runLog = nullptr);

  Win32WindowManager windows;
  Win32MessageBox msgbox{windows};
  Win32Dialogs dialogs{windows};
  Win32Tray tray;

 private:
  bool comInitialised_ = false;
};

}  // namespace view_win32
