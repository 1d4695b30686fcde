// The renames of the file toolbox on Windows, and what a change of names
// needs beside them: which entry a name is, and the hold of a folder against
// a second copy of the program. Windows has no exchange of two names in one
// step; callers fall back on renames they can undo.
#include <cstdio>
#include <utility>

#include "platform/file_access.h"
#include "platform/paths.h"
#include "platform/windows/no_follow.h"
#include "platform/windows/system_text.h"

namespace platform::files {

using windows_os::OwnedHandle;
using windows_os::toWide;

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

bool isUnsupported(FileError error) {
  const DWORD code = static_cast<DWORD>(error);
  return code == ERROR_NOT_SUPPORTED || code == ERROR_CALL_NOT_IMPLEMENTED;
}

ChangeHold::ChangeHold(ChangeHold&& other) noexcept
    : handle_(std::exchange(other.handle_, kNone)), error_(other.error_) {}

ChangeHold& ChangeHold::operator=(ChangeHold&& other) noexcept {
  if (this != &other) {
    if (handle_ != kNone) {
      ReleaseMutex(reinterpret_cast<HANDLE>(handle_));
      CloseHandle(reinterpret_cast<HANDLE>(handle_));
    }
    handle_ = std::exchange(other.handle_, kNone);
    error_ = other.error_;
  }
  return *this;
}

ChangeHold::~ChangeHold() {
  if (handle_ == kNone) return;
  ReleaseMutex(reinterpret_cast<HANDLE>(handle_));
  CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

EntryIdentity OpenFolder::identity(std::string_view name) const {
  EntryIdentity out;
  if (!valid()) {
    out.error = error_ != 0 ? error_ : ERROR_INVALID_HANDLE;
    return out;
  }
  // The name itself (a reparse point is not followed), opened only to read
  // its attributes and sharing everything, so no browser is disturbed.
  const OwnedHandle handle(CreateFileW(
      toWide(platform::joinPath(path_, name)).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!handle.valid() || !GetFileInformationByHandle(handle.get(), &info)) {
    out.error = static_cast<FileError>(GetLastError());
    return out;
  }
  out.kind = windows_os::entryOf(info.dwFileAttributes, info.nFileSizeHigh, info.nFileSizeLow,
                                 info.ftLastWriteTime, info.ftLastAccessTime)
                 .kind;
  out.id.volume = info.dwVolumeSerialNumber;
  out.id.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return out;
}

FileError OpenFolder::rename(std::string_view from, std::string_view to) const {
  if (!valid()) return error_ != 0 ? error_ : ERROR_INVALID_HANDLE;
  // Without MOVEFILE_REPLACE_EXISTING a name already there is refused;
  // WRITE_THROUGH returns once the rename is on the disk.
  if (MoveFileExW(toWide(platform::joinPath(path_, from)).c_str(),
                  toWide(platform::joinPath(path_, to)).c_str(), MOVEFILE_WRITE_THROUGH))
    return 0;
  return static_cast<FileError>(GetLastError());
}

FileError OpenFolder::exchange(std::string_view, std::string_view) const {
  if (!valid()) return error_ != 0 ? error_ : ERROR_INVALID_HANDLE;
  return ERROR_NOT_SUPPORTED;
}

FileError OpenFolder::sync() const {
  // The toolbox's renames on Windows are written through (see rename), and
  // flushing a folder needs write access to it, which the hold lacks.
  if (!valid()) return error_ != 0 ? error_ : ERROR_INVALID_HANDLE;
  return 0;
}

ChangeHold OpenFolder::holdForChange() const {
  ChangeHold hold;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!valid()) {
    hold.error_ = error_ != 0 ? error_ : ERROR_INVALID_HANDLE;
    return hold;
  }
  if (!GetFileInformationByHandle(reinterpret_cast<HANDLE>(handle_), &info)) {
    hold.error_ = static_cast<FileError>(GetLastError());
    return hold;
  }
  // Named by the folder's identity, not its path: two spellings of one
  // folder (a short name, another case) share the mutex.
  wchar_t name[80];
  std::swprintf(name, sizeof name / sizeof name[0], L"Local\\tracesweep-folder-%08lx-%08lx%08lx",
                static_cast<unsigned long>(info.dwVolumeSerialNumber),
                static_cast<unsigned long>(info.nFileIndexHigh),
                static_cast<unsigned long>(info.nFileIndexLow));
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
  if (!mutex) {
    hold.error_ = static_cast<FileError>(GetLastError());
    return hold;
  }
  // A copy that ended without releasing it (WAIT_ABANDONED) left it to us.
  const DWORD waited = WaitForSingleObject(mutex, INFINITE);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    hold.error_ = static_cast<FileError>(waited == WAIT_FAILED ? GetLastError() : waited);
    CloseHandle(mutex);
    return hold;
  }
  hold.handle_ = reinterpret_cast<std::intptr_t>(mutex);
  return hold;
}

Replacement writeOwnFile(const std::string& path, std::string_view content) {
  // replaceFile makes the file when it is not there; a new file inherits the
  // access rules of its folder, the user's profile.
  return replaceFile(path, content);
}

}  // namespace platform::files
