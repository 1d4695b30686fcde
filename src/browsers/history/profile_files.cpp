#include "browsers/history/profile_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>

#include "platform/linux/common/posix_fd.h"
#include "platform/linux/common/posix_files.h"

namespace browsers::history {

FileRead readProfileFile(const std::string& path, std::string& content, std::size_t maxBytes) {
  using platform::linux_os::ReadStatus;
  switch (platform::linux_os::readWholeFile(path, maxBytes, content,
                                            platform::linux_os::AtLink::Refuse)) {
    case ReadStatus::Ok:
      return FileRead::Read;
    case ReadStatus::Missing:
      return FileRead::Missing;
    default:
      return FileRead::Failed;
  }
}

ReplaceResult replaceProfileFile(const std::string& path, const std::string& content,
                                 std::string& error) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    error = "it is not a regular file";
    return ReplaceResult::Kept;
  }
  const platform::linux_os::FileReplacement result = platform::linux_os::replaceFileAtomically(
      path, content, st.st_mode & 07777, platform::linux_os::ownTempPrefix(path));
  if (result.ok()) return ReplaceResult::Replaced;
  error = platform::linux_os::errorWords(result.error);
  return result.replaced ? ReplaceResult::NotFlushed : ReplaceResult::Kept;
}

void removeStaleProfileTemporaries(const std::string& folder, const timespec& runStart) {
  platform::linux_os::removeStaleTemporaries(folder, platform::linux_os::isOwnTemporaryName,
                                             runStart);
}

bool removeProfileFile(const std::string& path, std::string& error) {
  if (::unlink(path.c_str()) == 0 || errno == ENOENT) return true;
  error = "it could not be removed (" + platform::linux_os::errorWords(errno) + ")";
  return false;
}

std::vector<std::string> filesIn(const std::string& folder) {
  std::vector<std::string> names;
  const platform::linux_os::FolderListing dir =
      platform::linux_os::listingOf(platform::linux_os::UniqueFd(
          ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)));
  if (!dir) return names;
  const int dirFd = dirfd(dir.get());
  while (const dirent* e = readdir(dir.get())) {
    struct stat st {};
    if (fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
      names.emplace_back(e->d_name);
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
