// Downloads a resource into a local file, synchronously.
#pragma once

#include <string>

namespace platform {

// The status of a download that did not start because the destination folder
// cannot be written; the caller may choose another folder.
inline constexpr int kDownloadFolderNotWritable = -1;

class Downloader {
 public:
  virtual ~Downloader() = default;
  // 0 on success; any other status is a failure.
  virtual int download(const std::string& url, const std::string& file) = 0;
};

}  // namespace platform
