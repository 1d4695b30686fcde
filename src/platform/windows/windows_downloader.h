// Downloads through URLDownloadToFileA, synchronously, into a file beside the
// destination that replaces it only when the whole answer arrived with a
// success status: an error page (404 ...) is a failure, never a version file.
#pragma once

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/downloader.h"

namespace platform::windows_os {

class WindowsDownloader : public Downloader {
 public:
  // 0, kDownloadFolderNotWritable, the failing HRESULT, the HTTP status of
  // an answer that is no success, or the system error of the final rename.
  int download(const std::string& url, const std::string& file) override;
  // On a thread of its own (joined when the downloader ends), joined to COM.
  void downloadInBackground(const std::string& url, const std::string& file,
                            std::function<void(int)> done) override;
  ~WindowsDownloader() override;

 private:
  std::mutex mutex_;
  std::vector<std::thread> threads_;
};

}  // namespace platform::windows_os
