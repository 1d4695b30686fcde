#include "platform/windows/file_errors.h"

#include "platform/windows/system_text.h"
#include "platform/windows/win32.h"

namespace platform::windows_os {

int errorFromSystem(std::uint32_t code) {
  switch (code) {
    case 0:
      return 0;
    case ERROR_FILE_NOT_FOUND:
      return kErrFileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
      return kErrPathNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return kErrPermissionDenied;
    default:
      return kSystemErrorBase + static_cast<int>(code);
  }
}

int deleteErrorFromSystem(std::uint32_t code) {
  switch (code) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return kErrPathFileAccess;
    default:
      return errorFromSystem(code);
  }
}

std::string fileErrorText(int error) {
  if (error == 0) return {};
  if (const char* text = programErrorText(error)) return text;
  if (error > kSystemErrorBase) {
    std::string text = systemErrorText(static_cast<std::uint32_t>(error - kSystemErrorBase));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    if (!text.empty()) return text;
  }
  return "Error " + std::to_string(error);
}

}  // namespace platform::windows_os
