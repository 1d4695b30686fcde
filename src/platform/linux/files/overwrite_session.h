// Opening files for a secure overwrite on Linux: never through a link, only
// regular files, and never a file that another process holds open.
#pragma once

#include <sys/types.h>

#include <map>
#include <memory>
#include <optional>

#include "platform/file_layer.h"
#include "platform/linux/files/folder_resolver.h"
#include "platform/linux/files/open_files_snapshot.h"
#include "platform/linux/files/unique_fd.h"

namespace platform::linux_os {

class LinuxOverwriteSession : public OverwriteSession {
 public:
  // The root of options, if any, is resolved and opened here, once; files
  // below it are reached from it one name at a time (see FolderResolver).
  explicit LinuxOverwriteSession(const OverwriteOptions& options);
  OverwriteOpen open(const std::string& path) override;
  int syncAll() override;

 private:
  bool heldByOthers(dev_t dev, ino_t ino);
  void rememberFileSystem(dev_t dev, int dirFd);

  OverwriteOptions options_;
  std::shared_ptr<const FolderResolver> folders_;  // shared with the targets, which reopen folders
  // Taken at the first file that needs it, then kept for the operation.
  std::optional<OpenFilesSnapshot> snapshot_;
  std::map<dev_t, UniqueFd> fileSystems_;  // a folder on each file system written to
};

}  // namespace platform::linux_os
