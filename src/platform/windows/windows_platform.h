// Builds the bundle of Windows platform services. The view's services
// (message boxes, dialogs, windows, tray) come from the view and are passed in.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace platform::windows_os {

class WindowsServices {
 public:
  WindowsServices(forms::MessageBoxService& msgbox, forms::DialogService& dialogs,
                  forms::WindowManager& windows, forms::TrayService& tray);
  ~WindowsServices();
  Platform& platform() { return *platform_; }

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::unique_ptr<Platform> platform_;
};

}  // namespace platform::windows_os
