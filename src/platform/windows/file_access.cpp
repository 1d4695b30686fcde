// The file toolbox of code above the system, on Windows: every name opened
// on itself (FILE_FLAG_OPEN_REPARSE_POINT) and refused when it is a reparse
// point, so a symbolic link or junction is never followed.
#include "platform/file_access.h"

#include <utility>

#include "platform/paths.h"
#include "platform/windows/no_follow.h"
#include "platform/windows/system_text.h"

namespace platform::files {

using windows_os::fromWide;
using windows_os::kIsFolder;
using windows_os::kStoppedOnLink;
using windows_os::OpenedEntry;
using windows_os::toWide;

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE asHandle(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

std::intptr_t release(OpenedEntry& opened) {
  return reinterpret_cast<std::intptr_t>(opened.handle.release());
}

void closeHandle(std::intptr_t& handle, std::intptr_t none) {
  if (handle != none) CloseHandle(asHandle(handle));
  handle = none;
}

EntryInfo infoOfOpened(const BY_HANDLE_FILE_INFORMATION& info) {
  return windows_os::entryOf(info.dwFileAttributes, info.nFileSizeHigh, info.nFileSizeLow,
                             info.ftLastWriteTime, info.ftLastAccessTime);
}

// Reads up to length bytes where the handle's position is; -1 on an error.
long long readHere(HANDLE handle, char* out, std::size_t length) {
  const DWORD chunk = length > 0x40000000 ? 0x40000000 : static_cast<DWORD>(length);
  DWORD got = 0;
  if (!::ReadFile(handle, out, chunk, &got, nullptr)) return -1;
  return got;
}

}  // namespace

std::string errorWords(FileError error) {
  switch (static_cast<DWORD>(error)) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "the disk is full";
    case ERROR_WRITE_PROTECT:
      return "the disk is write-protected";
    case ERROR_ACCESS_DENIED:
      return "access denied";
    case ERROR_SHARING_VIOLATION:
      return "it is in use by another program";
    case ERROR_LOCK_VIOLATION:
      return "it is locked by another program";
    case ERROR_FILE_NOT_FOUND:
      return "it was not found";
    case ERROR_PATH_NOT_FOUND:
      return "its folder was not found";
    case ERROR_NOT_READY:
      return "the drive is not ready";
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
      return "input/output error";
    case kStoppedOnLink:
      return "it is a link, which is not followed";
    case kIsFolder:
      return "it is a folder";
    default:
      return windows_os::systemErrorWords(static_cast<std::uint32_t>(error));
  }
}

bool isMissing(FileError error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool isLinkRefused(FileError error) {
  return static_cast<DWORD>(error) == kStoppedOnLink;
}

ReadFile::ReadFile(ReadFile&& other) noexcept
    : handle_(std::exchange(other.handle_, kNone)), error_(other.error_), info_(other.info_) {}

ReadFile& ReadFile::operator=(ReadFile&& other) noexcept {
  if (this != &other) {
    closeHandle(handle_, kNone);
    handle_ = std::exchange(other.handle_, kNone);
    error_ = other.error_;
    info_ = other.info_;
  }
  return *this;
}

ReadFile::~ReadFile() {
  closeHandle(handle_, kNone);
}

bool ReadFile::readAt(std::uint64_t offset, char* out, std::size_t length) const {
  if (!valid()) return false;
  HANDLE handle = asHandle(handle_);
  // A read at an offset moves the position of a synchronous handle; put it
  // back, so readNext goes on where it was.
  LARGE_INTEGER zero{}, position{};
  if (!SetFilePointerEx(handle, zero, &position, FILE_CURRENT)) return false;
  bool whole = true;
  while (length > 0 && whole) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD chunk = length > 0x40000000 ? 0x40000000 : static_cast<DWORD>(length);
    DWORD got = 0;
    whole = ::ReadFile(handle, out, chunk, &got, &at) && got > 0;
    offset += got, out += got, length -= got;
  }
  SetFilePointerEx(handle, position, nullptr, FILE_BEGIN);
  return whole;
}

long long ReadFile::readNext(char* out, std::size_t length) {
  if (!valid()) return -1;
  return readHere(asHandle(handle_), out, length);
}

OpenFolder::OpenFolder(OpenFolder&& other) noexcept
    : handle_(std::exchange(other.handle_, kNone)),
      error_(other.error_),
      path_(std::move(other.path_)) {}

OpenFolder& OpenFolder::operator=(OpenFolder&& other) noexcept {
  if (this != &other) {
    closeHandle(handle_, kNone);
    handle_ = std::exchange(other.handle_, kNone);
    error_ = other.error_;
    path_ = std::move(other.path_);
  }
  return *this;
}

OpenFolder::~OpenFolder() {
  closeHandle(handle_, kNone);
}

OpenFolder OpenFolder::open(const std::string& path) {
  OpenFolder folder;
  folder.path_ = platform::withoutTrailingSeparators(platform::nativePath(path));
  // Held without delete sharing: while it is held, the folder can be neither
  // renamed nor removed, so a name joined to its path reaches this folder
  // and not one swapped in under the same path.
  OpenedEntry opened = windows_os::openNoFollow(folder.path_, FILE_LIST_DIRECTORY | SYNCHRONIZE,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE);
  if (opened.handle.valid() && !opened.isFolder()) opened.error = ERROR_DIRECTORY;
  folder.error_ = static_cast<FileError>(opened.error);
  if (opened.error == 0) folder.handle_ = release(opened);
  return folder;
}

OpenFolder OpenFolder::child(std::string_view name) const {
  if (!valid()) {
    OpenFolder none;
    none.error_ = error_ != 0 ? error_ : ERROR_INVALID_HANDLE;
    return none;
  }
  return open(platform::joinPath(path_, name));
}

std::vector<std::string> OpenFolder::names() const {
  std::vector<std::string> names;
  if (!valid()) return names;
  WIN32_FIND_DATAW found{};
  HANDLE search =
      FindFirstFileExW(toWide(platform::joinPath(path_, "*")).c_str(), FindExInfoBasic, &found,
                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring_view name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(fromWide(found.cFileName));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

std::optional<EntryInfo> OpenFolder::info(std::string_view name) const {
  if (!valid()) return {};
  return windows_os::lookAt(platform::joinPath(path_, name));
}

FileError OpenFolder::remove(std::string_view name) const {
  if (!valid()) return error_ != 0 ? error_ : ERROR_INVALID_HANDLE;
  return static_cast<FileError>(windows_os::removeNameOnly(platform::joinPath(path_, name)));
}

namespace {

// Deeper than any browser store; a deeper tree is left with an error rather
// than risking the stack.
constexpr int kMaxTreeDepth = 128;

void noteFailure(TreeRemoval& out, DWORD error, const std::string& path) {
  if (out.error != 0) return;
  out.error = static_cast<FileError>(error);
  out.failedPath = path;
}

// Removes path and, for a real folder, everything in it. A reparse point (a
// link, a junction, a mounted volume) is removed as itself, never entered.
void removeTreeAt(const std::string& path, int depth, TreeRemoval& out) {
  const std::optional<EntryInfo> info = windows_os::lookAt(path);
  if (!info) return;
  if (info->kind == EntryKind::Folder) {
    if (depth >= kMaxTreeDepth) return noteFailure(out, ERROR_CANT_RESOLVE_FILENAME, path);
    {
      // Held while it is walked: it can be neither renamed nor swapped.
      const OpenFolder folder = OpenFolder::open(path);
      if (!folder.valid()) return noteFailure(out, static_cast<DWORD>(folder.error()), path);
      for (const std::string& name : folder.names())
        removeTreeAt(platform::joinPath(folder.path(), name), depth + 1, out);
    }
    if (RemoveDirectoryW(toWide(path).c_str())) {
      ++out.removed;
    } else {
      const DWORD error = GetLastError();
      if (!isMissing(static_cast<FileError>(error))) noteFailure(out, error, path);
    }
    return;
  }
  const DWORD error = windows_os::removeNameOnly(path);
  if (error == 0)
    ++out.removed;
  else
    noteFailure(out, error, path);
}

}  // namespace

TreeRemoval OpenFolder::removeTree(std::string_view name) const {
  TreeRemoval out;
  if (!valid()) {
    out.error = error_ != 0 ? error_ : ERROR_INVALID_HANDLE;
    out.failedPath = path_;
    return out;
  }
  removeTreeAt(platform::joinPath(path_, name), 0, out);
  return out;
}

ReadFile OpenFolder::openFile(std::string_view name) const {
  ReadFile file;
  if (!valid()) {
    file.error_ = error_ != 0 ? error_ : ERROR_INVALID_HANDLE;
    return file;
  }
  OpenedEntry opened =
      windows_os::openRegularFile(platform::joinPath(path_, name), GENERIC_READ, kShareAll);
  file.error_ = static_cast<FileError>(opened.error);
  if (opened.error != 0) return file;
  file.info_ = infoOfOpened(opened.info);
  file.handle_ = release(opened);
  return file;
}

std::optional<EntryInfo> infoOf(const std::string& path) {
  return windows_os::lookAt(path);
}

bool isRegularFile(const std::string& path) {
  const std::optional<EntryInfo> info = infoOf(path);
  return info && info->kind == EntryKind::File;
}

ReadStatus readWholeFile(const std::string& path, std::size_t maxSize, std::string& out) {
  out.clear();
  OpenedEntry opened = windows_os::openRegularFile(path, GENERIC_READ, kShareAll);
  if (opened.error != 0) {
    if (isMissing(static_cast<FileError>(opened.error))) return ReadStatus::Missing;
    const bool notRegular = opened.error == kStoppedOnLink || opened.error == kIsFolder ||
                            opened.error == ERROR_INVALID_FUNCTION;
    return notRegular ? ReadStatus::NotRegular : ReadStatus::Failed;
  }
  if (infoOfOpened(opened.info).size > maxSize) return ReadStatus::TooLarge;
  out.reserve(static_cast<std::size_t>(infoOfOpened(opened.info).size));
  // Read to the end, not to the size seen at the open: a file that grows
  // past maxSize meanwhile is TooLarge.
  char chunk[64 * 1024];
  for (;;) {
    const long long n = readHere(opened.handle.get(), chunk, sizeof chunk);
    if (n < 0) return out.clear(), ReadStatus::Failed;
    if (n == 0) return ReadStatus::Ok;
    if (static_cast<std::size_t>(n) > maxSize - out.size())
      return out.clear(), ReadStatus::TooLarge;
    out.append(chunk, static_cast<std::size_t>(n));
  }
}

FileError removeFile(const std::string& path) {
  return static_cast<FileError>(windows_os::removeNameOnly(path));
}

}  // namespace platform::files
