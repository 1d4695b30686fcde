// The running program on Windows: its file from GetModuleFileNameA, its data
// folder under the roaming application data, and one copy per user through a
// named mutex, which the system removes when the last holder ends.
#pragma once

#include <string>

#include "platform/process.h"

namespace platform::windows_os {

class WindowsProcess : public Process {
 public:
  WindowsProcess() = default;
  ~WindowsProcess() override;
  WindowsProcess(const WindowsProcess&) = delete;
  WindowsProcess& operator=(const WindowsProcess&) = delete;

  bool previousInstance() override;
  std::string programFolder() override;
  std::string programName() override;
  std::string programPath() override { return programFile(); }
  // %APPDATA%\Tracesweep, created when missing.
  std::string userDataFolder() override;
  // GetCurrentDirectoryA, with the system's separator.
  std::string workingFolder() override;
  // A console handle (not a file or a pipe) as the standard error.
  bool errorIsTerminal() override;

  // The running program file's full path.
  static std::string programFile();

 private:
  void* mutex_ = nullptr;
  bool asked_ = false;
  bool another_ = false;
};

}  // namespace platform::windows_os
