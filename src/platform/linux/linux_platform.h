// The Linux system's services, owned together.
#pragma once

#include <memory>

#include "platform/system.h"

namespace platform::linux_os {

class LinuxSystem : public SystemServices {
 public:
  LinuxSystem();
  ~LinuxSystem() override;
  System& system() override { return *system_; }
  RunLog* runLog() override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::unique_ptr<System> system_;
};

}  // namespace platform::linux_os
