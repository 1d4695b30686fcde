// The file layer on Linux: POSIX calls that never follow a symbolic link.
// The read-only attribute is a missing owner write bit; deleting such a file
// gives 75 until its attributes are set to 0, as on Windows.
#pragma once

#include "platform/file_layer.h"

namespace platform::linux_os {

class LinuxFileLayer : public FileLayer {
 public:
  std::vector<DirEntry> listFolder(const std::string& folder) override;
  int deleteFile(const std::string& path) override;
  int setAttributes(const std::string& path, int attributes) override;
  // The length of the entry itself (a link is not followed). A missing file
  // is 53; a missing folder on the way is 76.
  int fileLength(const std::string& path, std::int64_t& length) override;
  std::string errorText(int error) override;
  int walkFiles(const std::string& folder,
                const std::function<void(const std::string&)>& onFile) override;
  std::unique_ptr<OverwriteSession> beginOverwrite(const OverwriteOptions& options) override;
  ChosenFolderOpen chooseFolder(const std::string& folder) override;
  std::string homeFolder() override;
};

}  // namespace platform::linux_os
