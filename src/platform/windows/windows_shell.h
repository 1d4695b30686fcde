// The shell of Windows: ShellExecuteA to open URLs and documents, the
// temporary folder from GetTempPathA, and the folder-safety rule.
#pragma once

#include <string>

#include "platform/shell.h"

namespace platform::windows_os {

class WindowsShell : public Shell {
 public:
  void openUrl(const std::string& url) override;
  // The temporary folder, ending in "\"; "" when the system gives none that
  // exists (the clearing then runs nowhere).
  std::string tempPath() override;
  bool mayClearFolder(const std::string& folder) override;
};

}  // namespace platform::windows_os
