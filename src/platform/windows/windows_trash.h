// The recycle bins of every drive, emptied through SHEmptyRecycleBinA.
#pragma once

#include "platform/trash.h"

namespace platform::windows_os {

class WindowsTrash : public Trash {
 public:
  void emptyAll() override;
};

}  // namespace platform::windows_os
