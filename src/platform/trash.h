// The recycle bins of every drive.
#pragma once

#include <string>
#include <vector>

#include "platform/clear_outcome.h"

namespace platform {

class Trash {
 public:
  virtual ~Trash() = default;
  // Empties every bin without asking. outcome, when given, receives each
  // trashed item removed, or left with the reason.
  virtual void emptyAll(ClearOutcome* outcome = nullptr) = 0;
  // What emptyAll would remove, through the same listing; removes nothing.
  // A bin that cannot be listed says so.
  virtual ClearOutcome previewEmptyAll() {
    ClearOutcome outcome;
    outcome.fail("the recycle bin", "its contents cannot be listed here");
    return outcome;
  }
  // The folders holding the trashed files of every bin that emptyAll
  // empties, so that their files can be destroyed first; empty when the bins
  // cannot be reached as folders.
  virtual std::vector<std::string> binFolders() { return {}; }
};

}  // namespace platform
