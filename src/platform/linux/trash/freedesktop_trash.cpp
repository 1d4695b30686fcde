#include "platform/linux/trash/freedesktop_trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <utility>

#include "platform/linux/common/xdg_paths.h"
#include "platform/linux/trash/mountinfo.h"
#include "platform/linux/trash/trash_items.h"

namespace platform::linux_os {

FreedesktopTrash::FreedesktopTrash(std::string mountInfoPath, std::string homeTrash)
    : mountInfoPath_(std::move(mountInfoPath)), homeTrash_(std::move(homeTrash)) {}

namespace {

// Why a home trash that was not opened could not be: "" when there is none.
std::string homeTrashProblem(const std::string& path, uid_t uid) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0)
    return errno == ENOENT || errno == ENOTDIR ? std::string() : std::strerror(errno);
  if (S_ISLNK(st.st_mode)) return "it is a link, which is not followed";
  if (!S_ISDIR(st.st_mode)) return "it is not a folder";
  if (st.st_uid != uid) return "it belongs to another user";
  return "it could not be opened";
}

// The items of a trash that cannot be written stay: each is told, so that
// a read-only drive's trash is never "0 removed" in silence.
void tellReadOnly(const TrashFolder& trash, ClearOutcome& out) {
  UniqueFd files(openat(trash.fd.get(), "files", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!files.valid()) return;
  for (const TrashItem& item : ListTrashItems(files.get()))
    out.fail(trash.path + "/files/" + item.name, "it is on a read-only file system");
}

}  // namespace

FreedesktopTrash::Bins FreedesktopTrash::openAll() const {
  const uid_t uid = getuid();
  const std::string home = homeTrash_.empty() ? xdgDataHome() + "/Trash" : homeTrash_;
  std::vector<TrashFolder> writable = OpenHomeTrash(home, uid);
  // A home trash that is there and was not reached is said, never "0 removed".
  std::string homeProblem = writable.empty() ? homeTrashProblem(home, uid) : std::string();
  std::vector<TrashFolder> readOnly;
  for (const MountEntry& mount : ReadMountInfo(mountInfoPath_)) {
    if (IsPseudoFileSystem(mount.fsType)) continue;
    for (TrashFolder& folder : OpenVolumeTrashes(mount.mountPoint, uid))
      (mount.readOnly() ? readOnly : writable).push_back(std::move(folder));
  }
  // A folder reached through a bind mount or a second mount point is the
  // same folder: empty it once, through a writable mount when there is one.
  std::set<std::pair<dev_t, ino_t>> seen;
  Bins bins;
  bins.homePath = home;
  bins.homeProblem = std::move(homeProblem);
  for (TrashFolder& folder : writable)
    if (seen.insert({folder.device, folder.inode}).second)
      bins.writable.push_back(std::move(folder));
  for (TrashFolder& folder : readOnly)
    if (seen.insert({folder.device, folder.inode}).second)
      bins.readOnly.push_back(std::move(folder));
  return bins;
}

void FreedesktopTrash::emptyAll(ClearOutcome* outcome) {
  ClearOutcome told;
  const Bins bins = openAll();
  for (const TrashFolder& folder : bins.writable) EmptyTrashFolder(folder, false, told);
  for (const TrashFolder& folder : bins.readOnly) tellReadOnly(folder, told);
  if (!bins.homeProblem.empty()) told.fail(bins.homePath, bins.homeProblem);
  if (outcome) outcome->add(told);
}

ClearOutcome FreedesktopTrash::previewEmptyAll() {
  ClearOutcome outcome;
  const Bins bins = openAll();
  for (const TrashFolder& folder : bins.writable) EmptyTrashFolder(folder, true, outcome);
  for (const TrashFolder& folder : bins.readOnly) tellReadOnly(folder, outcome);
  if (!bins.homeProblem.empty()) outcome.fail(bins.homePath, bins.homeProblem);
  return outcome;
}

std::vector<std::string> FreedesktopTrash::binFolders() {
  std::vector<std::string> bins;
  for (const TrashFolder& folder : openAll().writable)
    if (folder.fd.valid()) bins.push_back(folder.path + "/files");  // never a refused one
  return bins;
}

}  // namespace platform::linux_os
