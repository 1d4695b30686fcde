// The Windows system's services, owned together.
#pragma once

#include <memory>

#include "platform/system.h"

namespace platform::windows_os {

class WindowsSystem : public SystemServices {
 public:
  WindowsSystem();
  ~WindowsSystem() override;
  System& system() override { return *system_; }
  RunLog* runLog() override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::unique_ptr<System> system_;
};

}  // namespace platform::windows_os
