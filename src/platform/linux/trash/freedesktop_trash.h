// The recycle bins of every drive on Linux: the freedesktop.org Trash of the
// home folder and of every mounted file system.
#pragma once

#include <string>
#include <vector>

#include "platform/linux/trash/trash_folders.h"
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
  // file system; each folder once, however many mounts reach it. The items
  // of a trash reached only through read-only mounts stay, each told.
  void emptyAll(ClearOutcome* outcome = nullptr) override;
  ClearOutcome previewEmptyAll() override;
  // The files/ folder of each of those trash folders.
  std::vector<std::string> binFolders() override;

 private:
  struct Bins {
    std::vector<TrashFolder> writable;
    std::vector<TrashFolder> readOnly;  // reached through no writable mount
    // The home trash when it is there but was not opened as a trash, and why.
    std::string homePath;
    std::string homeProblem;
  };
  // Every trash folder of the user, each once.
  Bins openAll() const;

  std::string mountInfoPath_;
  std::string homeTrash_;
};

}  // namespace platform::linux_os
