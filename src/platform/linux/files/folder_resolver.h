// Opening the folders of an overwrite session's files. A session of a chosen
// folder reaches every folder from the folder it holds, one name at a time,
// never through a link, never into another mount, and only into the very
// folders its listing went through: a folder swapped after the listing (for
// a link, or for another folder) leads nowhere. A session of files the user
// named resolves each file's folder once, when the file is opened: its links
// are the user's.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <unordered_map>

#include "platform/linux/common/posix_fd.h"
#include "platform/linux/files/safe_path.h"

namespace platform::linux_os {

// The folders a listing went through: path relative to the chosen folder
// ("" for itself, no trailing "/") and inode.
struct ListedFolders {
  std::unordered_map<std::string, ino_t> inodes;
};

class FolderResolver {
 public:
  FolderResolver() = default;
  FolderResolver(UniqueFd root, const FolderIdentity& identity,
                 std::shared_ptr<const ListedFolders> listed);

  bool rooted() const { return root_.valid(); }

  // Rooted: folder is relative to the root. An invalid descriptor with errno
  // set when it cannot be opened that way (ENOENT for a folder that is not
  // the one listed under that name).
  UniqueFd open(const std::string& folder) const;

  // Where a folder that open() gave lies. Rooted, every such folder is on
  // the root's mount (open() refuses any other), which is known already.
  bool identifyFolder(int folderFd, FolderIdentity& identity) const;

 private:
  UniqueFd root_;
  FolderIdentity rootIdentity_;  // its device and inode, and thus its mount
  std::shared_ptr<const ListedFolders> listed_;
};

}  // namespace platform::linux_os
