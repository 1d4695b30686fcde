#include "platform/linux/files/chosen_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/linux/files/file_errors.h"
#include "platform/linux/files/overwrite_session.h"
#include "platform/linux/files/tree_walk.h"

namespace platform::linux_os {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;

std::string workingFolder() {
  char buffer[PATH_MAX];
  return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

std::string realPathOf(const std::string& path) {
  char buffer[PATH_MAX];
  return realpath(path.c_str(), buffer) ? std::string(buffer) : std::string();
}

// Where a link leads: its real target when there is one, else its text.
std::string linkTargetOf(const std::string& path) {
  if (std::string real = realPathOf(path); !real.empty()) return real;
  char buffer[PATH_MAX];
  ssize_t n = readlink(path.c_str(), buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

ChosenFolderOpen notOpened(std::string path, int err) {
  ChosenFolderOpen result;
  result.path = std::move(path);
  struct stat st {};
  const bool present = lstat(result.path.c_str(), &st) == 0;
  // O_NOFOLLOW with O_DIRECTORY refuses a link with ELOOP or ENOTDIR.
  if ((err == ELOOP || err == ENOTDIR) && present && S_ISLNK(st.st_mode)) {
    result.state = ChosenFolderState::IsLink;
    result.linkTarget = linkTargetOf(result.path);
  } else if (err == ENOTDIR && present) {
    result.state = ChosenFolderState::NotFolder;
  } else if (err == ENOENT || err == ENOTDIR) {
    result.state = ChosenFolderState::Missing;
  } else {
    result.state = ChosenFolderState::Failed;
    result.error = errorFromErrno(err);
  }
  return result;
}

}  // namespace

ChosenFolderOpen LinuxChosenFolder::open(const std::string& folder) {
  std::string absolute = folder;
  if (folder.empty()) return notOpened(folder, ENOENT);
  if (folder[0] != '/') {
    const std::string here = workingFolder();
    if (here.empty()) return notOpened(folder, errno);
    absolute = (here == "/" ? "" : here) + "/" + folder;
  }
  absolute = platform::withoutTrailingSeparators(absolute);
  UniqueFd fd(::open(absolute.c_str(), kFolderFlags));
  if (!fd.valid()) return notOpened(absolute, errno);

  // What was opened is known by its identity and that of every folder above
  // its real path; a folder moved in the instant between is refused.
  const std::string real = realPathOf("/proc/self/fd/" + std::to_string(fd.get()));
  std::vector<FolderKey> chain = FolderChain(real);
  FolderIdentity identity;
  if (chain.empty() || !identify(fd.get(), identity) ||
      !(chain.back() == FolderKey{identity.dev, identity.ino}))
    return notOpened(absolute, EAGAIN);

  ChosenFolderOpen result;
  result.state = ChosenFolderState::Opened;
  result.path = real;
  result.folder.reset(new LinuxChosenFolder(std::move(fd), real, std::move(chain), identity));
  return result;
}

LinuxChosenFolder::LinuxChosenFolder(UniqueFd fd, std::string path, std::vector<FolderKey> chain,
                                     const FolderIdentity& identity)
    : fd_(std::move(fd)), path_(std::move(path)), chain_(std::move(chain)), identity_(identity) {
  protection_ = JudgeFolder(chain_, identity_.mountRoot);
  listed_->inodes.emplace(std::string(), identity_.ino);
}

int LinuxChosenFolder::walkFiles(const std::function<void(const std::string& relative)>& onFile) {
  listed_->inodes.clear();
  UniqueFd copy(fcntl(fd_.get(), F_DUPFD_CLOEXEC, 0));
  if (!copy.valid()) return errorFromErrno(errno);
  return walkTreeFrom(std::move(copy), onFile,
                      [&](const std::string& folder, ino_t ino) { listed_->inodes[folder] = ino; });
}

bool LinuxChosenFolder::unchanged() {
  return FolderChain(path_) == chain_;
}

std::unique_ptr<OverwriteSession> LinuxChosenFolder::beginOverwrite(
    const OverwriteOptions& options) {
  UniqueFd copy(fcntl(fd_.get(), F_DUPFD_CLOEXEC, 0));
  auto folders = std::make_shared<const FolderResolver>(std::move(copy), identity_, listed_);
  return std::make_unique<LinuxOverwriteSession>(options, std::move(folders));
}

}  // namespace platform::linux_os
