#include "platform/windows/windows_shell.h"

#include "platform/windows/folder_safety.h"
#include "platform/windows/win32.h"

namespace platform::windows_os {

void WindowsShell::openUrl(const std::string& url) {
  // The result is not looked at: opening reports nothing.
  ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

std::string WindowsShell::tempPath() {
  // Room for the longest path the ANSI calls take, not only 100 characters:
  // a longer temporary folder is still the temporary folder.
  char buffer[MAX_PATH + 2] = {};
  const DWORD n = GetTempPathA(sizeof buffer, buffer);
  if (n == 0 || n >= sizeof buffer) return "";
  std::string path(buffer, n);
  if (path.back() != '\\' && path.back() != '/') path.push_back('\\');
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return "";
  return path;
}

bool WindowsShell::mayClearFolder(const std::string& folder) {
  return windows_os::mayClearFolder(folder);
}

}  // namespace platform::windows_os
