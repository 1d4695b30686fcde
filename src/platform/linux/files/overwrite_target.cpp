#include "platform/linux/files/overwrite_target.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

#include "platform/linux/files/file_errors.h"

namespace platform::linux_os {

namespace {
void ignoreLeaseBreak(int) {}
}  // namespace

void ensureLeaseSignalHandled() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction current {};
    if (sigaction(SIGIO, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) return;
    struct sigaction action {};
    action.sa_handler = ignoreLeaseBreak;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGIO, &action, nullptr);
  });
}

LinuxOverwriteTarget::LinuxOverwriteTarget(UniqueFd folder,
                                           std::shared_ptr<const FolderResolver> folders,
                                           std::string folderPath, std::string name,
                                           const struct stat& identity)
    : folder_(std::move(folder)),
      folders_(std::move(folders)),
      folderPath_(std::move(folderPath)),
      name_(std::move(name)),
      dev_(identity.st_dev),
      ino_(identity.st_ino) {
  struct stat st {};
  if (fstat(folder_.get(), &st) == 0) folderDev_ = st.st_dev, folderIno_ = st.st_ino;
  birth_.known = birthTimeOf(folder_.get(), name_.c_str(), birth_.sec, birth_.nsec);
}

bool birthTimeOf(int folder, const char* name, long long& sec, unsigned& nsec) {
  struct statx stx {};
  if (statx(folder, name, AT_SYMLINK_NOFOLLOW, STATX_BTIME, &stx) != 0 ||
      !(stx.stx_mask & STATX_BTIME))
    return false;
  sec = stx.stx_btime.tv_sec;
  nsec = stx.stx_btime.tv_nsec;
  return true;
}

int LinuxOverwriteTarget::openFolder() {
  if (folder_.valid()) return 0;
  UniqueFd folder = folders_->open(folderPath_);
  struct stat st {};
  if (!folder.valid() || fstat(folder.get(), &st) != 0) return deleteErrorFromErrno(errno);
  if (st.st_dev != folderDev_ || st.st_ino != folderIno_) return kErrPathFileAccess;
  folder_ = std::move(folder);
  return 0;
}

LinuxOverwriteTarget::~LinuxOverwriteTarget() {
  close();
}

int LinuxOverwriteTarget::length(std::int64_t& bytes) {
  struct stat st {};
  if (fstat(file_.get(), &st) != 0) return errorFromErrno(errno);
  bytes = st.st_size;
  return 0;
}

int LinuxOverwriteTarget::writeAt(std::int64_t offset, const unsigned char* data,
                                  std::size_t size) {
  while (size > 0) {
    ssize_t written = pwrite(file_.get(), data, size, static_cast<off_t>(offset));
    if (written < 0) {
      if (errno == EINTR) continue;
      return errorFromErrno(errno);
    }
    if (written == 0) return errorFromErrno(EIO);
    data += written;
    size -= static_cast<std::size_t>(written);
    offset += written;
  }
  return 0;
}

int LinuxOverwriteTarget::syncData() {
  if (fdatasync(file_.get()) == 0) return 0;
  if (errno == EINVAL && fsync(file_.get()) == 0) return 0;
  return errorFromErrno(errno);
}

void LinuxOverwriteTarget::close() {
  folder_.reset();
  if (!file_.valid()) return;
  if (restoreMode_) fchmod(file_.get(), originalMode_);
  restoreMode_ = false;
  file_.reset();
}

int LinuxOverwriteTarget::remove() {
  if (int error = openFolder()) return error;
  struct stat st {};
  FolderIdentity where, folderWhere;
  if (!identifyEntryAt(folder_.get(), name_.c_str(), st, where)) return deleteErrorFromErrno(errno);
  // The name was given to something else meanwhile, or something was
  // mounted on it: that is not ours to remove.
  if (st.st_dev != dev_ || st.st_ino != ino_) return kErrPathFileAccess;
  if (!folders_->identifyFolder(folder_.get(), folderWhere) || !onMountOf(folderWhere, where))
    return kErrPathFileAccess;
  BirthTime now;
  now.known = birthTimeOf(folder_.get(), name_.c_str(), now.sec, now.nsec);
  if (now.known != birth_.known || now.sec != birth_.sec || now.nsec != birth_.nsec)
    return kErrPathFileAccess;
  restoreMode_ = false;  // the file goes; its old mode does not matter
  int result = unlinkat(folder_.get(), name_.c_str(), 0) == 0 ? 0 : deleteErrorFromErrno(errno);
  folder_.reset();
  return result;
}

}  // namespace platform::linux_os
