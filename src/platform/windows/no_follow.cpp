#include "platform/windows/no_follow.h"

#include "platform/windows/system_text.h"

namespace platform::windows_os {

namespace {

// 100-nanosecond intervals from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kEpochDifference = 116444736000000000LL;

bool isMissingCode(DWORD code) {
  return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

bool isReparsePoint(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(toWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

std::int64_t nsSince1970(const ::FILETIME& time) {
  const std::int64_t ticks = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
  return (ticks - kEpochDifference) * 100;
}

std::int64_t nsSince1970(std::int64_t seconds, long nanoseconds) {
  return seconds * 1000000000LL + nanoseconds;
}

files::EntryInfo entryOf(DWORD attributes, DWORD sizeHigh, DWORD sizeLow, const ::FILETIME& written,
                         const ::FILETIME& accessed) {
  files::EntryInfo info;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
    info.kind = files::EntryKind::Link;
  else if (attributes & FILE_ATTRIBUTE_DIRECTORY)
    info.kind = files::EntryKind::Folder;
  else if (attributes & FILE_ATTRIBUTE_DEVICE)
    info.kind = files::EntryKind::Other;
  else
    info.kind = files::EntryKind::File;
  info.size = (static_cast<std::uint64_t>(sizeHigh) << 32) | sizeLow;
  info.modifiedNs = nsSince1970(written);
  info.accessedNs = nsSince1970(accessed);
  return info;
}

OpenedEntry openNoFollow(const std::string& path, DWORD access, DWORD share) {
  OpenedEntry opened;
  // BACKUP_SEMANTICS opens a folder too, so that a folder link is seen as a
  // link rather than failing as "access denied".
  opened.handle =
      OwnedHandle(CreateFileW(toWide(path).c_str(), access, share, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!opened.handle.valid()) {
    opened.error = GetLastError();
    return opened;
  }
  if (!GetFileInformationByHandle(opened.handle.get(), &opened.info)) {
    opened.error = GetLastError();
  } else if ((opened.info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
             isReparsePoint(path)) {
    // The handle tells on Windows; the name's own attributes as well where
    // the open went through a link of the host (Wine opens the target).
    opened.error = kStoppedOnLink;
  }
  if (opened.error != 0) opened.handle.reset();
  return opened;
}

OpenedEntry openRegularFile(const std::string& path, DWORD access, DWORD share) {
  OpenedEntry opened = openNoFollow(path, access, share);
  if (!opened.handle.valid()) return opened;
  if (opened.isFolder())
    opened.error = kIsFolder;
  else if (GetFileType(opened.handle.get()) != FILE_TYPE_DISK)
    opened.error = ERROR_INVALID_FUNCTION;
  if (opened.error != 0) opened.handle.reset();
  return opened;
}

std::optional<files::EntryInfo> lookAt(const std::string& path) {
  // The attributes of the name itself: a link reports its own, marked as a
  // reparse point, not its target's.
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(toWide(path).c_str(), GetFileExInfoStandard, &data)) return {};
  return entryOf(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime,
                 data.ftLastAccessTime);
}

DWORD removeNameOnly(const std::string& path) {
  const std::wstring wide = toWide(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return isMissingCode(error) ? 0 : error;
  }
  const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  if (folder && !link) return kIsFolder;
  // A folder link goes as a folder does; removing it never enters it.
  const BOOL removed = folder ? RemoveDirectoryW(wide.c_str()) : DeleteFileW(wide.c_str());
  if (removed) return 0;
  const DWORD error = GetLastError();
  return isMissingCode(error) ? 0 : error;
}

}  // namespace platform::windows_os
