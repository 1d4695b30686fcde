// The recycle bins of every drive.
#pragma once

#include "platform/clear_outcome.h"

namespace platform {

class Trash {
 public:
  virtual ~Trash() = default;
  // Empties every bin without asking. Each trashed item is one item of the
  // outcome: removed, or left with the reason. A preview lists what would go
  // through the same listing and removes nothing.
  virtual ClearOutcome emptyAll(bool preview = false) = 0;
};

}  // namespace platform
