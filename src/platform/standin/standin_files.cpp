#include "platform/standin/standin_files.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace platform::standin {

namespace fs = std::filesystem;

namespace {

int errorNumber(const std::error_code& error) {
  if (error == std::errc::no_such_file_or_directory) return kErrFileNotFound;
  if (error == std::errc::permission_denied) return kErrPermissionDenied;
  return kErrPathFileAccess;
}

class RefusingSession : public OverwriteSession {
 public:
  OverwriteOpen open(const std::string& /*path*/) override {
    OverwriteOpen refused;
    refused.kind = OverwriteKind::Failed;
    refused.error = kErrNotAvailable;
    return refused;
  }
  int syncAll() override { return kErrNotAvailable; }
};

}  // namespace

std::vector<DirEntry> StandinFileLayer::listFolder(const std::string& folder) {
  std::vector<DirEntry> entries;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const fs::file_status status = it->symlink_status(error);
    if (error) break;
    entries.push_back(
        {it->path().filename().string(), fs::is_directory(status) ? kAttrDirectory : kAttrNormal});
  }
  return entries;
}

int StandinFileLayer::deleteFile(const std::string& path) {
  std::error_code error;
  if (fs::remove(path, error)) return 0;
  return error ? errorNumber(error) : kErrFileNotFound;
}

int StandinFileLayer::setAttributes(const std::string& path, int attributes) {
  std::error_code error;
  const auto change =
      (attributes & kAttrReadOnly) ? fs::perm_options::remove : fs::perm_options::add;
  fs::permissions(path, fs::perms::owner_write, change | fs::perm_options::nofollow, error);
  return error ? errorNumber(error) : 0;
}

int StandinFileLayer::fileLength(const std::string& path, std::int64_t& length) {
  std::error_code error;
  const auto size = fs::file_size(path, error);
  if (error) return errorNumber(error);
  length = static_cast<std::int64_t>(size);
  return 0;
}

std::string StandinFileLayer::errorText(int error) {
  if (error == kErrNotAvailable) return "not available on this system";
  if (const char* text = programErrorText(error)) return text;
  return "error " + std::to_string(error);
}

int StandinFileLayer::walkFiles(const std::string& folder,
                                const std::function<void(const std::string& relative)>& onFile) {
  std::error_code error;
  fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
  if (error) return error == std::errc::no_such_file_or_directory ? 0 : errorNumber(error);
  for (const fs::recursive_directory_iterator end; it != end; it.increment(error)) {
    if (error) return errorNumber(error);
    const fs::file_status status = it->symlink_status(error);
    if (!error && fs::is_directory(status)) continue;
    onFile(it->path().lexically_relative(folder).generic_string());
  }
  return 0;
}

std::unique_ptr<OverwriteSession> StandinFileLayer::beginOverwrite(const OverwriteOptions&) {
  return std::make_unique<RefusingSession>();
}

ChosenFolderOpen StandinFileLayer::chooseFolder(const std::string& folder) {
  ChosenFolderOpen refused;
  refused.path = folder;
  refused.error = kErrNotAvailable;
  return refused;
}

std::string StandinFileLayer::homeFolder() {
  const char* home = std::getenv("HOME");
  return home ? home : "";
}

}  // namespace platform::standin
