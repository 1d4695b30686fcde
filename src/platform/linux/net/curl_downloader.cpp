#include "platform/linux/net/curl_downloader.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>
#include <string>

#include "platform/linux/net/download_target.h"
#include "platform/linux/net/redirect_policy.h"

namespace platform::linux_os {

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

CURLcode initialiseCurlOnce() {
  // Thread-safe static initialisation runs curl_global_init exactly once.
  static const CURLcode result = curl_global_init(CURL_GLOBAL_DEFAULT);
  return result;
}

std::size_t writeToTarget(char* data, std::size_t size, std::size_t count, void* user) {
  auto* target = static_cast<DownloadTarget*>(user);
  std::size_t bytes = size * count;
  // Answering fewer bytes than given aborts the transfer: this is what stops
  // an answer whose length the server did not announce.
  return target->append(data, bytes) ? bytes : 0;
}

int statusOf(CURLcode code, const DownloadTarget& target) {
  switch (code) {
    case CURLE_OK:
      return 0;
    case CURLE_OPERATION_TIMEDOUT:
      return kDownloadTimedOut;
    case CURLE_FILESIZE_EXCEEDED:
      return kDownloadTooLarge;
    case CURLE_HTTP_RETURNED_ERROR:
      return kDownloadHttpError;
    case CURLE_ABORTED_BY_CALLBACK:
      return kDownloadCancelled;
    case CURLE_WRITE_ERROR:
      return target.overLimit() ? kDownloadTooLarge : kDownloadWriteFailed;
    default:
      return kDownloadTransferFailed;
  }
}

// Any non-zero answer aborts the transfer at once.
int abortWhenCancelled(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<const std::atomic<bool>*>(user)->load() ? 1 : 0;
}

// False when a limit cannot be set: then nothing is fetched at all.
bool setFixedOptions(CURL* curl, DownloadTarget& target, const DownloadLimits& limits,
                     const std::atomic<bool>& cancelled) {
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
  // Redirects are followed by hand so that each target's host can be checked.
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeToTarget);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &target);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "Tracesweep/1.0");
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, abortWhenCancelled);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(&cancelled));
  return curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
         curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE,
                          static_cast<curl_off_t>(limits.maxBytes)) == CURLE_OK;
}

// Sets the time limits of one request from what is left of the whole.
bool setTimeLimits(CURL* curl, steady_clock::time_point deadline, milliseconds connectTimeout) {
  auto left = std::chrono::duration_cast<milliseconds>(deadline - steady_clock::now());
  if (left.count() <= 0) return false;
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(left.count()));
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                   static_cast<long>(std::min(left, connectTimeout).count()));
  return true;
}

}  // namespace

CurlDownloader::CurlDownloader(DownloadLimits limits) : limits_(limits) {}

CurlDownloader::~CurlDownloader() {
  cancelled_ = true;
  std::lock_guard lock(workersMutex_);
  for (Worker& worker : workers_) worker.thread.join();
}

void CurlDownloader::downloadInBackground(const std::string& url, const std::string& file,
                                          std::function<void(int)> done) {
  std::lock_guard lock(workersMutex_);
  // Workers that have finished are joined here, so they never pile up.
  std::erase_if(workers_, [](Worker& worker) {
    if (!worker.finished->load()) return false;
    worker.thread.join();
    return true;
  });
  auto finished = std::make_shared<std::atomic<bool>>(false);
  std::thread thread([this, url, file, done = std::move(done), finished] {
    done(download(url, file));
    *finished = true;
  });
  workers_.push_back({std::move(thread), std::move(finished)});
}

int CurlDownloader::download(const std::string& url, const std::string& file) {
  DownloadTarget target(file, limits_.maxBytes);
  if (!target.created()) return kDownloadFolderNotWritable;
  if (initialiseCurlOnce() != CURLE_OK) return kDownloadTransferFailed;
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
  if (!curl) return kDownloadTransferFailed;
  if (!setFixedOptions(curl.get(), target, limits_, cancelled_)) return kDownloadTransferFailed;

  const auto deadline = steady_clock::now() + limits_.totalTimeout;
  std::string current = url;
  for (int redirects = 0;; ++redirects) {
    if (!setTimeLimits(curl.get(), deadline, limits_.connectTimeout)) return kDownloadTimedOut;
    curl_easy_setopt(curl.get(), CURLOPT_URL, current.c_str());
    if (!target.restart()) return kDownloadWriteFailed;
    CURLcode code = curl_easy_perform(curl.get());
    if (code != CURLE_OK) return statusOf(code, target);

    long response = 0;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &response);
    if (response >= 200 && response < 300) return target.commit() ? 0 : kDownloadWriteFailed;
    if (response < 300 || response >= 400) return kDownloadHttpError;

    char* location = nullptr;
    curl_easy_getinfo(curl.get(), CURLINFO_REDIRECT_URL, &location);
    if (!location || redirects >= limits_.maxRedirects || !redirectAllowed(current, location)) {
      return kDownloadRedirectRefused;
    }
    current = location;
  }
}

}  // namespace platform::linux_os
