// The folders walked lately, as they were when the walk began. A wipe of the
// files a walk listed goes from the walked folder down one name at a time,
// never through a link, so a folder below it swapped for a link meanwhile
// (anyone may do that in the shared /tmp) leads nowhere.
#pragma once

#include <sys/types.h>

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/linux/files/unique_fd.h"

namespace platform::linux_os {

struct WalkRoot {
  std::string given;  // as the caller named it, without a trailing "/"
  std::string real;   // the link-free absolute path it had when walked
  dev_t dev = 0;
  ino_t ino = 0;
};

class WalkRoots {
 public:
  void remember(WalkRoot root);
  std::vector<WalkRoot> recent() const;

 private:
  mutable std::mutex mutex_;
  std::deque<WalkRoot> roots_;  // newest first
};

// Opens the folders of an overwrite session's files. Below a walked folder
// every name is opened without following links and without leaving the
// walked folder's mount; any other folder (a file the user named, or one
// below a walked folder that was moved or replaced since) is resolved once,
// then opened from "/" one name at a time.
class FolderResolver {
 public:
  explicit FolderResolver(std::vector<WalkRoot> roots) : roots_(std::move(roots)) {}
  // An invalid descriptor with errno set when it cannot be opened that way.
  UniqueFd open(const std::string& folder);

 private:
  const WalkRoot* rootOf(const std::string& folder) const;
  int rootDescriptor(const WalkRoot& root);

  std::vector<WalkRoot> roots_;
  std::map<std::string, UniqueFd> rootFds_;  // by real path, opened once
};

std::string withoutTrailingSlashes(std::string path);

}  // namespace platform::linux_os
