#include "platform/windows/windows_process.h"

#include <vector>

#include "platform/windows/win32.h"

namespace platform::windows_os {

namespace {

std::string userName() {
  char buffer[257] = {};
  DWORD size = sizeof buffer;
  if (!GetUserNameA(buffer, &size)) return "";
  return buffer;
}

}  // namespace

WindowsProcess::~WindowsProcess() {
  if (mutex_) CloseHandle(mutex_);
}

bool WindowsProcess::previousInstance() {
  if (asked_) return another_;
  asked_ = true;
  // One name per user in the session's namespace. A mutex that cannot be
  // made at all never keeps the program from starting.
  const std::string name = "Local\\Tracesweep.single-copy." + userName();
  mutex_ = CreateMutexA(nullptr, FALSE, name.c_str());
  another_ = mutex_ && GetLastError() == ERROR_ALREADY_EXISTS;
  return another_;
}

std::string WindowsProcess::programFile() {
  std::vector<char> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return "";
    if (n < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

std::string WindowsProcess::programFolder() {
  const std::string file = programFile();
  const auto cut = file.find_last_of("\\/");
  return cut == std::string::npos ? "" : file.substr(0, cut);
}

std::string WindowsProcess::programName() {
  const std::string file = programFile();
  const auto cut = file.find_last_of("\\/");
  std::string name = cut == std::string::npos ? file : file.substr(cut + 1);
  const auto dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

std::string WindowsProcess::userDataFolder() {
  char buffer[MAX_PATH + 1] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                              SHGFP_TYPE_CURRENT, buffer)))
    return "";
  const std::string folder = std::string(buffer) + "\\Tracesweep";
  if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
    return "";
  return folder;
}

std::string WindowsProcess::workingFolder() {
  const DWORD needed = GetCurrentDirectoryA(0, nullptr);
  if (needed == 0) return "";
  std::string folder(needed, '\0');
  const DWORD length = GetCurrentDirectoryA(needed, folder.data());
  if (length == 0 || length >= needed) return "";
  folder.resize(length);
  return folder;
}

bool WindowsProcess::errorIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace platform::windows_os
