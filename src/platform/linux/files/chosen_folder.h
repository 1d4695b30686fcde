// A folder chosen for destruction on Linux: opened once, judged by the one
// folder-safety rule on what was opened, listed and wiped through the
// descriptor held from then on.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/file_layer.h"
#include "platform/linux/common/folder_safety.h"
#include "platform/linux/common/posix_fd.h"
#include "platform/linux/files/folder_resolver.h"
#include "platform/linux/files/safe_path.h"

namespace platform::linux_os {

class LinuxChosenFolder : public ChosenFolder {
 public:
  // folder is made absolute against the working folder; a link as its last
  // name is not followed (IsLink), links before it are followed once, here.
  static ChosenFolderOpen open(const std::string& folder);

  const std::string& path() const override { return path_; }
  FolderProtection protection() const override { return protection_; }
  int walkFiles(const std::function<void(const std::string& relative)>& onFile) override;
  bool unchanged() override;
  std::unique_ptr<OverwriteSession> beginOverwrite(const OverwriteOptions& options) override;

 private:
  LinuxChosenFolder(UniqueFd fd, std::string path, std::vector<FolderKey> chain,
                    const FolderIdentity& identity);

  UniqueFd fd_;
  std::string path_;
  std::vector<FolderKey> chain_;  // "/" down to the folder, when it was opened
  FolderIdentity identity_;
  FolderProtection protection_ = FolderProtection::None;
  std::shared_ptr<ListedFolders> listed_ = std::make_shared<ListedFolders>();
};

}  // namespace platform::linux_os
