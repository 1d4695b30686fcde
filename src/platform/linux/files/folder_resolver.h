// Opening the folders of an overwrite session's files. With a root (the
// folder whose files the session wipes) every folder below it is reached
// from it one name at a time, never through a link and never into another
// mount, so a folder swapped for a link after the listing (anyone may do that
// in the shared /tmp) leads nowhere. Without one, a file's folder is the
// user's to name: its links are followed once, then it is opened from "/".
#pragma once

#include <sys/types.h>

#include <string>

#include "platform/linux/files/safe_path.h"
#include "platform/linux/files/unique_fd.h"

namespace platform::linux_os {

class FolderResolver {
 public:
  // Resolves root (realpath) and opens it once, for the whole session. An
  // empty root resolves each folder on its own.
  explicit FolderResolver(const std::string& root);

  // Whether the root was given but could not be opened; rootError() is the
  // errno it gave.
  bool rootMissing() const { return hasRoot_ && !rootFd_.valid(); }
  int rootError() const { return rootErrno_; }
  // Whether path lies below the root (always, when there is none).
  bool governs(const std::string& path) const;

  // An invalid descriptor with errno set when the folder cannot be opened
  // that way; a folder not below the root is refused with EACCES.
  UniqueFd open(const std::string& folder) const;

 private:
  bool hasRoot_ = false;
  std::string given_;  // the root as the caller named it, without a trailing "/"
  std::string real_;   // the link-free path it had when the session began
  UniqueFd rootFd_;
  FolderIdentity rootIdentity_;  // its device and inode, and thus its mount
  int rootErrno_ = 0;
};

}  // namespace platform::linux_os
