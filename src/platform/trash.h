// The recycle bins of every drive.
#pragma once

#include "platform/clear_outcome.h"

namespace platform {

class Trash {
 public:
  virtual ~Trash() = default;
  // Empties every bin without asking. outcome, when given, receives each
  // trashed item removed, or left with the reason.
  virtual void emptyAll(ClearOutcome* outcome = nullptr) = 0;
  // What emptyAll would remove, through the same listing; removes nothing.
  virtual ClearOutcome previewEmptyAll() = 0;
};

}  // namespace platform
