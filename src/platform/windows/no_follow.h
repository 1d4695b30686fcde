// Names opened and looked at as they are, never through a reparse point (a
// symbolic link, a junction): the ground of the file toolbox on Windows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/file_access.h"
#include "platform/windows/owned_handle.h"
#include "platform/windows/win32.h"

namespace platform::windows_os {

// The codes the toolbox reports beside the system's own, under the system's
// names for them (older headers lack them): a reparse point met and not
// followed, and a folder where a file was asked for.
inline constexpr DWORD kStoppedOnLink = 681;  // ERROR_STOPPED_ON_SYMLINK
inline constexpr DWORD kIsFolder = 336;       // ERROR_DIRECTORY_NOT_SUPPORTED

// A FILETIME as nanoseconds since 1970-01-01 UTC.
std::int64_t nsSince1970(const ::FILETIME& time);
std::int64_t nsSince1970(std::int64_t seconds, long nanoseconds);

// What a name is, from its own attributes (a link is a Link, whatever it
// leads to).
files::EntryInfo entryOf(DWORD attributes, DWORD sizeHigh, DWORD sizeLow, const ::FILETIME& written,
                         const ::FILETIME& accessed);

// A name opened without following a reparse point in its last part; an
// error (kStoppedOnLink for a link) and no handle when it could not be.
struct OpenedEntry {
  OwnedHandle handle;
  BY_HANDLE_FILE_INFORMATION info{};
  DWORD error = 0;
  bool isFolder() const { return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};
OpenedEntry openNoFollow(const std::string& path, DWORD access, DWORD share);
// The same, and only a regular file on a disk (kIsFolder for a folder,
// ERROR_INVALID_FUNCTION for a device or pipe).
OpenedEntry openRegularFile(const std::string& path, DWORD access, DWORD share);

// What the name is, without following it; nothing when it is not there.
std::optional<files::EntryInfo> lookAt(const std::string& path);

// Removes a file or a link itself (a folder link with RemoveDirectoryW, the
// rest with DeleteFileW); a real folder is refused with kIsFolder. 0 when it
// is gone, also when it was not there.
DWORD removeNameOnly(const std::string& path);

}  // namespace platform::windows_os
