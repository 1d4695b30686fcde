#include "platform/windows/windows_trash.h"

#include "platform/windows/win32.h"

namespace platform::windows_os {

void WindowsTrash::emptyAll() {
  // No owner window, every drive, no question. An empty bin answers with a
  // failure, which is of no interest.
  SHEmptyRecycleBinA(nullptr, "", SHERB_NOCONFIRMATION);
}

}  // namespace platform::windows_os
