#include "platform/standin/standin_services.h"

#include <filesystem>
#include <system_error>

namespace platform::standin {

namespace {

constexpr const char* kNotAvailable = "not available on this system";

}  // namespace

void StandinTrash::emptyAll(ClearOutcome* outcome) {
  if (outcome) outcome->fail("the recycle bin", kNotAvailable);
}

ClearOutcome StandinTrash::previewEmptyAll() {
  ClearOutcome outcome;
  emptyAll(&outcome);
  return outcome;
}

void StandinShell::openUrl(const std::string& /*url*/) {}

std::string StandinShell::tempPath() {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  if (error || folder.empty()) return {};
  return (folder / "").string();
}

int StandinDownloader::download(const std::string& /*url*/, const std::string& /*file*/) {
  return 1;
}

std::string StandinProcess::workingFolder() {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::current_path(error);
  return error ? std::string() : folder.string();
}

}  // namespace platform::standin
