// The recycle bins of every drive.
#pragma once

namespace platform {

class Trash {
 public:
  virtual ~Trash() = default;
  // Empties every bin without asking. Failures are not reported.
  virtual void emptyAll() = 0;
};

}  // namespace platform
