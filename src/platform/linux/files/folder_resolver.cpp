#include "platform/linux/files/folder_resolver.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace platform::linux_os {

FolderResolver::FolderResolver(UniqueFd root, const FolderIdentity& identity,
                               std::shared_ptr<const ListedFolders> listed)
    : root_(std::move(root)), rootIdentity_(identity), listed_(std::move(listed)) {
  if (!listed_) listed_ = std::make_shared<const ListedFolders>();
}

UniqueFd FolderResolver::open(const std::string& folder) const {
  if (rooted()) {
    const std::string relative =
        folder == "." ? std::string() : platform::withoutTrailingSeparators(folder);
    UniqueFd opened = openFolderBelow(root_.get(), relative, &rootIdentity_);
    if (!opened.valid()) return opened;
    struct stat st {};
    if (fstat(opened.get(), &st) != 0) return UniqueFd();
    const auto listed = listed_->inodes.find(relative);
    if (listed == listed_->inodes.end() || listed->second != st.st_ino) {
      errno = ENOENT;  // not the folder that was listed under that name
      return UniqueFd();
    }
    return opened;
  }
  // A folder the user named: its links are theirs, followed once, here.
  char buffer[PATH_MAX];
  if (realpath(platform::withoutTrailingSeparators(folder).c_str(), buffer) == nullptr)
    return UniqueFd();
  return openFolderWithoutLinks(buffer);
}

bool FolderResolver::identifyFolder(int folderFd, FolderIdentity& identity) const {
  if (rooted()) {
    identity = rootIdentity_;
    return true;
  }
  return identify(folderFd, identity);
}

}  // namespace platform::linux_os
