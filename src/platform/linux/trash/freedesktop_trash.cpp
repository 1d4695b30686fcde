#include "platform/linux/trash/freedesktop_trash.h"

#include <unistd.h>

#include <set>
#include <utility>

#include "platform/linux/common/xdg_paths.h"
#include "platform/linux/trash/mountinfo.h"
#include "platform/linux/trash/trash_folders.h"

namespace platform::linux_os {

FreedesktopTrash::FreedesktopTrash(std::string mountInfoPath, std::string homeTrash)
    : mountInfoPath_(std::move(mountInfoPath)), homeTrash_(std::move(homeTrash)) {}

void FreedesktopTrash::emptyAll(ClearOutcome* outcome) {
  ClearOutcome told;
  emptyOrList(false, told);
  if (outcome) outcome->add(told);
}

ClearOutcome FreedesktopTrash::previewEmptyAll() {
  ClearOutcome outcome;
  emptyOrList(true, outcome);
  return outcome;
}

void FreedesktopTrash::emptyOrList(bool preview, ClearOutcome& outcome) {
  const uid_t uid = getuid();
  std::vector<TrashFolder> folders =
      OpenHomeTrash(homeTrash_.empty() ? xdgDataHome() + "/Trash" : homeTrash_, uid);
  for (const MountEntry& mount : ReadMountInfo(mountInfoPath_)) {
    if (mount.readOnly() || IsPseudoFileSystem(mount.fsType)) continue;
    for (TrashFolder& folder : OpenVolumeTrashes(mount.mountPoint, uid))
      folders.push_back(std::move(folder));
  }
  // A folder reached through a bind mount or a second mount point is the
  // same folder: empty it once.
  std::set<std::pair<dev_t, ino_t>> done;
  for (const TrashFolder& folder : folders) {
    if (!done.insert({folder.device, folder.inode}).second) continue;
    EmptyTrashFolder(folder, preview, outcome);
  }
}

}  // namespace platform::linux_os
