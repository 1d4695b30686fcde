#include "platform/linux/files/file_errors.h"

#include <cerrno>
#include <cstring>

#include "platform/file_layer.h"

namespace platform::linux_os {

int errorFromErrno(int err) {
  switch (err) {
    case 0:
      return 0;
    case ENOENT:
      return kErrFileNotFound;
    case ENOTDIR:
      return kErrPathNotFound;
    case EACCES:
    case EPERM:
      return kErrPermissionDenied;
    default:
      return kErrnoBase + err;
  }
}

int deleteErrorFromErrno(int err) {
  switch (err) {
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
    case EISDIR:
      return kErrPathFileAccess;
    default:
      return errorFromErrno(err);
  }
}

std::string fileErrorText(int error) {
  if (error == 0) return {};
  if (const char* text = programErrorText(error)) return text;
  if (error > kErrnoBase) return std::strerror(error - kErrnoBase);
  return "Error " + std::to_string(error);
}

}  // namespace platform::linux_os
