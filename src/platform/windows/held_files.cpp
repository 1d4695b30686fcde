// A folder the user keeps, held by what it is rather than by its path, and
// the lock test: whether another program holds a file open without sharing.
#include "platform/file_access.h"
#include "platform/file_layer.h"
#include "platform/windows/folder_safety.h"
#include "platform/windows/no_follow.h"
#include "platform/windows/system_text.h"

namespace platform::files {

using windows_os::OwnedHandle;
using windows_os::toWide;

namespace {

FolderHold refused(std::string why) {
  FolderHold hold;
  hold.result = FolderHold::Result::Refused;
  hold.refusal = std::move(why) + "; left as it is";
  return hold;
}

std::string protectedWords(FolderProtection protection, bool link) {
  const std::string leads = link ? "is a link into " : "is in ";
  switch (protection) {
    case FolderProtection::Home:
    case FolderProtection::HoldsHome:
      return link ? "is a link to the user's profile folder or a folder holding it"
                  : "is the user's profile folder or a folder holding it";
    case FolderProtection::OtherUsersHome:
      return leads + "another user's profile";
    default:
      return leads + "a system folder";
  }
}

}  // namespace

FolderHold holdUserFolder(const std::string& path) {
  if (path.empty()) return {};
  const std::wstring wide = toWide(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    if (isMissing(static_cast<FileError>(error))) return {};
    return refused("cannot be reached (" + errorWords(static_cast<FileError>(error)) + ")");
  }
  const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  if (!link && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
  // Opened through the link, once: from here on the folder is known by what
  // was opened (its final path and identity), never by the link again.
  OwnedHandle folder(CreateFileW(wide.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!folder.valid()) {
    const DWORD error = GetLastError();
    // A link to nothing is no folder.
    if (isMissing(static_cast<FileError>(error)) || (link && error == ERROR_CANT_RESOLVE_FILENAME))
      return {};
    return refused("cannot be opened (" + errorWords(static_cast<FileError>(error)) + ")");
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(folder.get(), &info))
    return refused("cannot be opened (" + errorWords(static_cast<FileError>(GetLastError())) + ")");
  if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return {};

  FolderHold hold;
  hold.folder.realPath = windows_os::finalPathOfHandle(folder.get());
  if (hold.folder.realPath.empty()) return refused("cannot be located");
  const FolderProtection protection = windows_os::protectionOf(hold.folder.realPath);
  // A store on the top folder of another drive is where the user put it.
  if (protection != FolderProtection::None && protection != FolderProtection::MountRoot)
    return refused(protectedWords(protection, link));
  hold.result = FolderHold::Result::Held;
  hold.folder.device = info.dwVolumeSerialNumber;
  hold.folder.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  hold.folder.throughLink = link;
  return hold;
}

bool heldLocked(const std::string& path) {
  // Opened for reading and sharing nothing: any other handle open on the
  // file for writing or deleting (a browser's lock file) makes it a sharing
  // violation, and the open itself changes nothing.
  OwnedHandle file(CreateFileW(toWide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.valid()) {
    const DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
  }
  // A byte-range lock another program holds on any part of it.
  OVERLAPPED whole{};
  if (!LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                  MAXDWORD, &whole))
    return GetLastError() == ERROR_LOCK_VIOLATION;
  UnlockFileEx(file.get(), 0, MAXDWORD, MAXDWORD, &whole);
  return false;
}

}  // namespace platform::files
