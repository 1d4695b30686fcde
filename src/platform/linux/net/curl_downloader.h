// Downloads over HTTP(S) with libcurl, within time and size limits, in the
// caller's thread or in a worker thread of its own. Only a 2xx answer counts; redirects are
// followed within the same host; the destination is replaced only when the whole resource arrived.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/downloader.h"

namespace platform::linux_os {

// Statuses besides 0 (success) and kDownloadFolderNotWritable.
inline constexpr int kDownloadTransferFailed = 1;   // no connection, broken answer
inline constexpr int kDownloadTimedOut = 2;         // a time limit passed
inline constexpr int kDownloadHttpError = 3;        // an answer other than 2xx
inline constexpr int kDownloadTooLarge = 4;         // the size limit passed
inline constexpr int kDownloadRedirectRefused = 5;  // another host, or too many
inline constexpr int kDownloadWriteFailed = 6;      // the local file could not be written

struct DownloadLimits {
  std::chrono::milliseconds connectTimeout{5000};
  std::chrono::milliseconds totalTimeout{30000};  // for all redirects together
  std::int64_t maxBytes = 64 * 1024;
  int maxRedirects = 5;
};

inline constexpr int kDownloadCancelled = 7;  // the downloader was destroyed meanwhile

class CurlDownloader : public Downloader {
 public:
  explicit CurlDownloader(DownloadLimits limits = {});
  // Cancels the downloads still running in the background and waits for
  // their workers, which then report kDownloadCancelled.
  ~CurlDownloader() override;
  CurlDownloader(const CurlDownloader&) = delete;
  CurlDownloader& operator=(const CurlDownloader&) = delete;

  int download(const std::string& url, const std::string& file) override;
  void downloadInBackground(const std::string& url, const std::string& file,
                            std::function<void(int)> done) override;

 private:
  DownloadLimits limits_;
  std::atomic<bool> cancelled_{false};
  struct Worker {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> finished;
  };
  std::mutex workersMutex_;
  std::vector<Worker> workers_;
};

}  // namespace platform::linux_os
