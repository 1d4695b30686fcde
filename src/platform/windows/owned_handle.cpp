#include "platform/windows/owned_handle.h"

#include "platform/windows/win32.h"

namespace platform::windows_os {

void OwnedHandle::reset() {
  if (handle_) CloseHandle(handle_);
  handle_ = nullptr;
}

}  // namespace platform::windows_os
