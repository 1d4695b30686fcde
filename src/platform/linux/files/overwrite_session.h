// Opening files for a secure overwrite on Linux: never through a link, only
// regular files, and never a file that another process holds open.
#pragma once

#include <sys/types.h>

#include <map>
#include <memory>
#include <optional>

#include "platform/file_layer.h"
#include "platform/linux/common/posix_fd.h"
#include "platform/linux/files/folder_resolver.h"
#include "platform/linux/files/old_copies.h"
#include "platform/linux/files/open_files_snapshot.h"

namespace platform::linux_os {

class LinuxOverwriteSession : public OverwriteSession {
 public:
  // folders opens the folders of the files (see FolderResolver): rooted in a
  // chosen folder, or resolving the folders of files the user named.
  LinuxOverwriteSession(const OverwriteOptions& options,
                        std::shared_ptr<const FolderResolver> folders);
  OverwriteOpen open(const std::string& path) override;
  int syncAll() override;

 private:
  bool heldByOthers(dev_t dev, ino_t ino);
  void rememberFileSystem(dev_t dev, int dirFd);

  OverwriteOptions options_;
  std::shared_ptr<const FolderResolver> folders_;  // shared with the targets, which reopen folders
  // Taken at the first file that needs it, then kept for the operation.
  std::optional<OpenFilesSnapshot> snapshot_;
  std::map<dev_t, UniqueFd> written_;  // a folder on each file system written to
  FileSystemsMet fileSystems_;         // the kind of each file system met
};

}  // namespace platform::linux_os
