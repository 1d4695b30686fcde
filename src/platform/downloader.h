// Downloads a resource into a local file, synchronously.
#pragma once

#include <string>

namespace platform {

class Downloader {
 public:
  virtual ~Downloader() = default;
  // 0 on success; any other status is a failure.
  virtual int download(const std::string& url, const std::string& file) = 0;
};

}  // namespace platform
