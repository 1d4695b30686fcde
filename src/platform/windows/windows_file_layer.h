// The file layer on Windows: the ANSI file calls, never following a reparse
// point (junction, symbolic link, mount point): links are reported and
// removed as themselves, their targets never opened or entered. A read-only
// file gives 75 on deletion until its attributes are set to 0.
#pragma once

#include "platform/file_layer.h"

namespace platform::windows_os {

class WindowsFileLayer : public FileLayer {
 public:
  std::vector<DirEntry> listFolder(const std::string& folder) override;
  int deleteFile(const std::string& path) override;
  int setAttributes(const std::string& path, int attributes) override;
  int fileLength(const std::string& path, std::int64_t& length) override;
  std::string errorText(int error) override;
  int walkFiles(const std::string& folder,
                const std::function<void(const std::string&)>& onFile) override;
  std::unique_ptr<OverwriteSession> beginOverwrite(const OverwriteOptions& options) override;
  ChosenFolderOpen chooseFolder(const std::string& folder) override;
  // The user's profile folder.
  std::string homeFolder() override;
};

}  // namespace platform::windows_os
