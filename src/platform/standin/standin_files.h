// Files through std::filesystem: listing, lengths, removal and walking. It
// cannot hold a folder open nor overwrite a file in place, so every secure
// overwrite and every chosen folder is refused with that reason.
#pragma once

#include "platform/file_layer.h"

namespace platform::standin {

// The error number of whatever this system cannot do.
inline constexpr int kErrNotAvailable = 1000;

class StandinFileLayer : public FileLayer {
 public:
  std::vector<DirEntry> listFolder(const std::string& folder) override;
  int deleteFile(const std::string& path) override;
  int setAttributes(const std::string& path, int attributes) override;
  int fileLength(const std::string& path, std::int64_t& length) override;
  std::string errorText(int error) override;
  int walkFiles(const std::string& folder,
                const std::function<void(const std::string& relative)>& onFile) override;
  std::unique_ptr<OverwriteSession> beginOverwrite(const OverwriteOptions& options) override;
  ChosenFolderOpen chooseFolder(const std::string& folder) override;
  std::string homeFolder() override;
};

}  // namespace platform::standin
