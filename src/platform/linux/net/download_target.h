// The temporary file a download is written into, beside its destination. Only
// a finished download replaces the destination (by rename), so a failed or
// refused one never leaves a half file or an error page under the real name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/linux/common/posix_files.h"

namespace platform::linux_os {

class DownloadTarget {
 public:
  // Creates the temporary file; created() is false when the destination's
  // folder cannot be written.
  DownloadTarget(std::string destination, std::int64_t maxBytes);
  ~DownloadTarget();
  DownloadTarget(const DownloadTarget&) = delete;
  DownloadTarget& operator=(const DownloadTarget&) = delete;

  bool created() const { return file_.created(); }
  // Drops what was written so far (the body of a redirect answer).
  bool restart();
  // False when the data would pass the size limit or cannot be written.
  bool append(const char* data, std::size_t size);
  bool overLimit() const { return overLimit_; }
  // Flushes the file to storage and renames it over the destination.
  bool commit();

 private:
  AtomicFile file_;
  std::int64_t maxBytes_;
  std::int64_t written_ = 0;
  bool overLimit_ = false;
};

}  // namespace platform::linux_os
