#include "platform/linux/net/download_target.h"

#include <string_view>

namespace platform::linux_os {

namespace {

// A hidden name of our own beside the destination, so the final rename stays
// on one file system and is atomic.
std::string tempPrefixFor(const std::string& destination) {
  const std::string folder = folderOf(destination);
  return (folder == "/" ? "" : folder) + "/." + platform::fileNameOf(destination) + ".";
}

}  // namespace

// The version file is no secret: it gets the usual mode, not mkstemp's 0600.
DownloadTarget::DownloadTarget(std::string destination, std::int64_t maxBytes)
    : file_(destination, tempPrefixFor(destination), 0644), maxBytes_(maxBytes) {}

DownloadTarget::~DownloadTarget() = default;

bool DownloadTarget::restart() {
  written_ = 0;
  overLimit_ = false;
  return file_.restart();
}

bool DownloadTarget::append(const char* data, std::size_t size) {
  if (!file_.created()) return false;
  if (static_cast<std::uint64_t>(written_) + size > static_cast<std::uint64_t>(maxBytes_)) {
    overLimit_ = true;
    return false;
  }
  if (!writeAll(file_.fd(), std::string_view(data, size))) return false;
  written_ += static_cast<std::int64_t>(size);
  return true;
}

bool DownloadTarget::commit() {
  return file_.commit();
}

}  // namespace platform::linux_os
