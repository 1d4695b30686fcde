// The recycle bins of every drive on Linux: the freedesktop.org Trash of the
// home folder and of every mounted file system.
#pragma once

#include <string>

#include "platform/trash.h"

namespace platform::linux_os {

class FreedesktopTrash : public Trash {
 public:
  // homeTrash "" means $XDG_DATA_HOME/Trash, read from the environment each
  // time the bins are emptied. Tests name a mount table and a home trash of
  // their own.
  explicit FreedesktopTrash(std::string mountInfoPath = "/proc/self/mountinfo",
                            std::string homeTrash = "");

  // Empties the home trash and the trash folders of every writable, real
  // file system; each folder once, however many mounts reach it.
  void emptyAll(ClearOutcome* outcome = nullptr) override;
  ClearOutcome previewEmptyAll() override;

 private:
  // Empties every bin, or only lists what it holds; each folder once.
  void emptyOrList(bool preview, ClearOutcome& outcome);

  std::string mountInfoPath_;
  std::string homeTrash_;
};

}  // namespace platform::linux_os
