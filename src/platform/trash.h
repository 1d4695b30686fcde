// The recycle bins of every drive.
#pragma once

#include <string>
#include <vector>

namespace platform {

class Trash {
 public:
  virtual ~Trash() = default;
  // Empties every bin without asking. Failures are not reported.
  virtual void emptyAll() = 0;
  // The folders holding the trashed files of every bin that emptyAll
  // empties, so that their files can be destroyed first; empty when the bins
  // cannot be reached as folders.
  virtual std::vector<std::string> binFolders() { return {}; }
};

}  // namespace platform
