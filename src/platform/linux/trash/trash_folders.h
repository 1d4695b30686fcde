// Finding the trash folders of the freedesktop.org Trash rules, each opened
// without following a link and checked the way the rules ask, so that a
// folder planted by another user is never emptied.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/clear_outcome.h"
#include "platform/linux/trash/owned_fd.h"

namespace platform::linux_os {

struct TrashFolder {
  std::string path;  // for reading only; the folder is reached through fd
  OwnedFd fd;
  dev_t device = 0;
  ino_t inode = 0;
};

// The home trash at path, when it is a real folder (not a link) owned by uid.
std::vector<TrashFolder> OpenHomeTrash(const std::string& path, uid_t uid);

// The trash folders of the volume mounted at topdir: $topdir/.Trash/$uid when
// .Trash is a real folder with the sticky bit and $uid a real folder owned by
// uid, and $topdir/.Trash-$uid when it is a real folder owned by uid.
std::vector<TrashFolder> OpenVolumeTrashes(const std::string& topdir, uid_t uid);

// Empties files/ item by item, then info/ (keeping the info of an item that
// could not be removed), then expunged/, and removes directorysizes. Each
// trashed item removed, or left with its reason, is told in out; a preview
// only lists them and changes nothing. True when everything went.
bool EmptyTrashFolder(const TrashFolder& trash, bool preview, ClearOutcome& out);

}  // namespace platform::linux_os
