#include "browsers/history/profile_files.h"

#include <algorithm>

#include "platform/file_access.h"

namespace browsers::history {

FileRead readProfileFile(const std::string& path, std::string& content, std::size_t maxBytes) {
  switch (platform::files::readWholeFile(path, maxBytes, content)) {
    case platform::files::ReadStatus::Ok:
      return FileRead::Read;
    case platform::files::ReadStatus::Missing:
      return FileRead::Missing;
    default:
      return FileRead::Failed;
  }
}

ReplaceResult replaceProfileFile(const std::string& path, const std::string& content,
                                 std::string& error) {
  if (!platform::files::isRegularFile(path)) {
    error = "it is not a regular file";
    return ReplaceResult::Kept;
  }
  const platform::files::Replacement result = platform::files::replaceFile(path, content);
  if (result.error == 0) return ReplaceResult::Replaced;
  error = platform::files::errorWords(result.error);
  return result.replaced ? ReplaceResult::NotFlushed : ReplaceResult::Kept;
}

void removeStaleProfileTemporaries(const std::string& folder, const timespec& runStart) {
  platform::files::removeStaleTemporaries(folder, runStart);
}

bool removeProfileFile(const std::string& path, std::string& error) {
  const platform::files::FileError failed = platform::files::removeFile(path);
  if (failed == 0) return true;
  error = "it could not be removed (" + platform::files::errorWords(failed) + ")";
  return false;
}

std::vector<std::string> filesIn(const std::string& folder) {
  const platform::files::OpenFolder open = platform::files::OpenFolder::open(folder);
  std::vector<std::string> names;
  for (std::string& name : open.names()) {
    const std::optional<platform::files::EntryInfo> info = open.info(name);
    if (info && info->kind == platform::files::EntryKind::File) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool holdsText(const std::string& bytes, const std::string& text) {
  if (text.empty()) return false;
  if (bytes.find(text) != std::string::npos) return true;
  std::string wide;
  wide.reserve(text.size() * 2);
  for (char c : text) {
    wide += c;
    wide += '\0';
  }
  return bytes.find(wide) != std::string::npos;
}

}  // namespace browsers::history
