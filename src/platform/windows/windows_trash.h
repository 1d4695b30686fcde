// The recycle bins of every drive, emptied through SHEmptyRecycleBinA.
#pragma once

#include <string>
#include <vector>

#include "platform/trash.h"

namespace platform::windows_os {

class WindowsTrash : public Trash {
 public:
  // The shell empties the bins as a whole: it tells neither what went nor
  // what stayed, so outcome is left as it is.
  void emptyAll(ClearOutcome* outcome = nullptr) override;
  // The user's bin folder of every local drive that has one
  // ("X:\$Recycle.Bin\<the user's SID>").
  std::vector<std::string> binFolders() override;
};

}  // namespace platform::windows_os
