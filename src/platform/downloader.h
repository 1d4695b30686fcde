// Downloads a resource into a local file, synchronously or in the background.
#pragma once

#include <functional>
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
  // Starts the download and returns; done receives its status, on a thread
  // of the downloader's own (hand it to the user-interface thread before
  // touching any window). This default downloads at once, in the caller's thread.
  virtual void downloadInBackground(const std::string& url, const std::string& file,
                                    std::function<void(int)> done) {
    done(download(url, file));
  }
};

}  // namespace platform
