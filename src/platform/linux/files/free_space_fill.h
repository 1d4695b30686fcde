// The free-space wipe on Linux. The chosen folder is opened once; the file
// system's top folder is found from it and locked (flock), so a second run on
// the same file system is refused. Each pass fills the free space through
// O_TMPFILE files, which have no name at any moment: a cancel, a crash or a
// kill -9 leaves nothing behind, and the kernel frees their blocks when the
// program ends (or, after a power cut, when the file system is next mounted).
#pragma once

#include <memory>
#include <string>

#include "platform/free_space.h"
#include "platform/linux/common/posix_fd.h"

namespace platform::linux_os {

class LinuxFreeSpaceWipe : public FreeSpaceWipe {
 public:
  // Opens the folder and surveys its file system. The result always exists;
  // drive().refusal says when nothing can be written there.
  static std::unique_ptr<LinuxFreeSpaceWipe> open(const std::string& folder);

  const FreeSpaceDrive& drive() const override { return drive_; }
  FreeSpaceResult run(const FreeSpaceOptions& options) override;
  double measureSpeed() override;

 private:
  LinuxFreeSpaceWipe() = default;
  void survey(const std::string& folder);

  UniqueFd folder_;
  UniqueFd top_;  // the file system's top folder, locked while this object lives
  long blockSize_ = 4096;
  FreeSpaceDrive drive_;
};

}  // namespace platform::linux_os
