// What a free-space wipe meets on the file system holding a folder: its top
// folder (locked, so that one run at a time fills it), its kind and whether a
// fill can reach deleted data there, its free and reserved space, and what
// the user should know (a flash drive, what the fill does not reach).
#pragma once

#include <string>

#include "platform/free_space.h"
#include "platform/linux/common/posix_fd.h"

namespace platform::linux_os {

struct SurveyedDrive {
  UniqueFd folder;  // the chosen folder, opened once
  UniqueFd top;     // its file system's top folder, flock-ed while held
  long blockSize = 4096;
  FreeSpaceDrive drive;
};

SurveyedDrive surveyDrive(const std::string& folder);

}  // namespace platform::linux_os
