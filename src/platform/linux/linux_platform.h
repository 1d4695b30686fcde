// Builds the bundle of Linux platform services. The view's services (message
// boxes, dialogs, windows, tray) come from the toolkit and are passed in.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace platform::linux_os {

class LinuxServices {
 public:
  LinuxServices(forms::MessageBoxService& msgbox, forms::DialogService& dialogs,
                forms::WindowManager& windows, forms::TrayService& tray);
  ~LinuxServices();
  Platform& platform() { return *platform_; }

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::unique_ptr<Platform> platform_;
};

}  // namespace platform::linux_os
