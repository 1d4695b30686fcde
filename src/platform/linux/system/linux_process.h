// The running program on Linux: its file from /proc/self/exe, its data folder
// under $XDG_DATA_HOME, and the one-copy-per-user rule through InstanceLock.
#pragma once

#include <string>

#include "platform/linux/system/instance_lock.h"
#include "platform/process.h"

namespace platform::linux_os {

class LinuxProcess : public Process {
 public:
  // The lock is taken at the first call and held for the life of this object
  // (the life of the process in the program); later calls repeat the answer.
  // When the lock cannot be had at all the answer is false, so that a broken
  // runtime folder never keeps the program from starting.
  bool previousInstance() override;
  std::string programFolder() override;
  std::string programName() override;
  // $XDG_DATA_HOME/tracesweep, created when missing.
  std::string userDataFolder() override;
  std::string workingFolder() override;
  bool errorIsTerminal() override;

  // The running program file's full path; "" when it cannot be read.
  static std::string programFile();

 private:
  InstanceLock lock_;
  bool asked_ = false;
};

}  // namespace platform::linux_os
