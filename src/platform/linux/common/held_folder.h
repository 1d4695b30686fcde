// A folder where the user keeps a store (a browser's root or profile, the
// home trash), which the user may have moved elsewhere and left a link to.
// The link is followed once, what it leads to is judged by the one
// folder-safety rule, and from then on the folder is known by its open
// descriptor while it is held, and by the real path the kernel gives for it
// (no link in it) after; the link is never resolved again.
#pragma once

#include <sys/types.h>

#include <string>

#include "platform/linux/common/posix_fd.h"

namespace platform::linux_os {

struct HeldFolder {
  UniqueFd fd;           // the folder, open for reading
  std::string realPath;  // its path without links, for code that needs a path
  dev_t device = 0;
  ino_t inode = 0;
  bool throughLink = false;  // the path named was a link to it
};

struct FolderHold {
  enum class Result { Held, Absent, Refused };
  Result result = Result::Absent;
  HeldFolder folder;    // when Held
  std::string refusal;  // when Refused: why, in plain words, e.g. "is a link
                        // owned by another user; left as it is"
};

// Holds the folder at path for the user uid. Absent: nothing there, or no
// folder (a file, a link to nothing). Refused: a link owned by someone else
// than uid or root, a link to a folder of another user, a folder the rule
// protects (a system folder, the home, another user's home), or one that
// changed while it was opened.
FolderHold HoldUserFolder(const std::string& path, uid_t uid);

}  // namespace platform::linux_os
