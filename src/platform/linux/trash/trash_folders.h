// Finding the trash folders of the freedesktop.org Trash rules, each opened
// without following a link and checked the way the rules ask, so that a
// folder planted by another user is never emptied.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/clear_outcome.h"
#include "platform/linux/common/posix_fd.h"

namespace platform::linux_os {

struct TrashFolder {
  std::string path;  // for reading only; the folder is reached through fd
  UniqueFd fd;
  dev_t device = 0;
  ino_t inode = 0;
  // A trash that exists but may not be emptied (fd not valid): why, told by
  // EmptyTrashFolder, e.g. "is a link owned by another user; left as it is".
  std::string refused;
};

// The home trash at path, a folder owned by uid. Where path is a link the
// user made (to keep the trash on another disk), the folder it leads to is
// held and its real path is the folder's path; a link owned by another user,
// or one leading to a folder of another user or into a system folder, gives
// a refused folder, as does a home trash that is not uid's.
std::vector<TrashFolder> OpenHomeTrash(const std::string& path, uid_t uid);

// The trash folders of the volume mounted at topdir: $topdir/.Trash/$uid when
// .Trash is a real folder with the sticky bit and $uid a real folder owned by
// uid, and $topdir/.Trash-$uid when it is a real folder owned by uid.
std::vector<TrashFolder> OpenVolumeTrashes(const std::string& topdir, uid_t uid);

// Empties files/ item by item, then info/ (keeping the info of an item that
// could not be removed), then expunged/, and removes directorysizes. Each
// trashed item removed, or left with its reason, is told in out; a preview
// only lists them and changes nothing. True when everything went; a refused
// folder is told and nothing in it is touched.
bool EmptyTrashFolder(const TrashFolder& trash, bool preview, ClearOutcome& out);

}  // namespace platform::linux_os
