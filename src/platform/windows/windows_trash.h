// The recycle bins of every drive, emptied through SHEmptyRecycleBinA.
#pragma once

#include <string>
#include <vector>

#include "platform/trash.h"

namespace platform::windows_os {

class WindowsTrash : public Trash {
 public:
  void emptyAll() override;
  // The user's bin folder of every local drive that has one
  // ("X:\$Recycle.Bin\<the user's SID>").
  std::vector<std::string> binFolders() override;
};

}  // namespace platform::windows_os
