#include "platform/linux/trash/freedesktop_trash.h"

#include <unistd.h>

#include <set>
#include <utility>

#include "platform/linux/common/xdg_paths.h"
#include "platform/linux/trash/mountinfo.h"

namespace platform::linux_os {

FreedesktopTrash::FreedesktopTrash(std::string mountInfoPath, std::string homeTrash)
    : mountInfoPath_(std::move(mountInfoPath)), homeTrash_(std::move(homeTrash)) {}

std::vector<TrashFolder> FreedesktopTrash::openAll() const {
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
  std::set<std::pair<dev_t, ino_t>> seen;
  std::vector<TrashFolder> unique;
  for (TrashFolder& folder : folders)
    if (seen.insert({folder.device, folder.inode}).second) unique.push_back(std::move(folder));
  return unique;
}

void FreedesktopTrash::emptyAll(ClearOutcome* outcome) {
  ClearOutcome told;
  for (const TrashFolder& folder : openAll()) EmptyTrashFolder(folder, false, told);
  if (outcome) outcome->add(told);
}

ClearOutcome FreedesktopTrash::previewEmptyAll() {
  ClearOutcome outcome;
  for (const TrashFolder& folder : openAll()) EmptyTrashFolder(folder, true, outcome);
  return outcome;
}

std::vector<std::string> FreedesktopTrash::binFolders() {
  std::vector<std::string> bins;
  for (const TrashFolder& folder : openAll())
    if (folder.fd.valid()) bins.push_back(folder.path + "/files");  // never a refused one
  return bins;
}

}  // namespace platform::linux_os
