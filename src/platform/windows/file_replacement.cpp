// Crash-safe replacement of a file on Windows, and the private copies: a new
// file is only ever created new (CREATE_NEW), never opened over a name that
// was there.
#include <algorithm>
#include <vector>

#include "platform/file_access.h"
#include "platform/paths.h"
#include "platform/windows/no_follow.h"
#include "platform/windows/random_name.h"
#include "platform/windows/system_text.h"

namespace platform::files {

using windows_os::OpenedEntry;
using windows_os::OwnedHandle;
using windows_os::toWide;

namespace {

constexpr std::string_view kOwnTempMark = ".tracesweep-tmp-";
constexpr std::string_view kOldTempMark = ".tracesweep-";
constexpr std::size_t kTempRandomLength = 6;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// What of the old file's attributes the new content keeps; read-only is not
// among them (the rename over a read-only file fails and is reported).
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

DWORD writeWhole(HANDLE file, std::string_view data) {
  while (!data.empty()) {
    const DWORD chunk = data.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(data.size());
    DWORD written = 0;
    if (!WriteFile(file, data.data(), chunk, &written, nullptr)) return GetLastError();
    if (written == 0) return ERROR_DISK_FULL;
    data.remove_prefix(written);
  }
  return 0;
}

bool allDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// ".<name>.tracesweep-tmp-XXXXXX", or "<name>.tracesweep-<digits>" as earlier
// versions named them.
bool isOwnTemporaryName(std::string_view name) {
  if (name.size() > kTempRandomLength && name.front() == '.') {
    const std::string_view stem = name.substr(0, name.size() - kTempRandomLength);
    if (stem.size() > kOwnTempMark.size() + 1 && stem.ends_with(kOwnTempMark)) return true;
  }
  const std::size_t mark = name.rfind(kOldTempMark);
  return mark != std::string_view::npos && mark > 0 &&
         allDigits(name.substr(mark + kOldTempMark.size()));
}

// The old file's access rules (its DACL) put on the new one, so the
// replacement is readable by exactly whom the old file was.
DWORD copyAccessRules(HANDLE from, HANDLE to) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  DWORD error = GetSecurityInfo(from, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                &dacl, nullptr, &descriptor);
  if (error != ERROR_SUCCESS) return error;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  GetSecurityDescriptorControl(descriptor, &control, &revision);
  // A DACL that does not inherit stays so; one that does takes the folder's
  // inherited entries afresh, as the old file had them.
  const SECURITY_INFORMATION which =
      DACL_SECURITY_INFORMATION |
      ((control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION
                                     : UNPROTECTED_DACL_SECURITY_INFORMATION);
  error = SetSecurityInfo(to, SE_FILE_OBJECT, which, nullptr, nullptr, dacl, nullptr);
  LocalFree(descriptor);
  return error;
}

// The temporary beside path: created new and hidden, removed when it goes
// unless it was renamed over the file.
class Temporary {
 public:
  explicit Temporary(const std::string& path) {
    const std::string prefix =
        platform::joinPath(platform::folderOf(path), "." + platform::fileNameOf(path)) +
        std::string(kOwnTempMark);
    for (int attempt = 0; attempt < 100 && !handle_.valid(); ++attempt) {
      path_ = prefix + windows_os::randomCharacters(kTempRandomLength);
      handle_ = OwnedHandle(CreateFileW(toWide(path_).c_str(), GENERIC_WRITE | WRITE_DAC, 0,
                                        nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr));
      error_ = handle_.valid() ? 0 : GetLastError();
      if (error_ != ERROR_FILE_EXISTS && error_ != ERROR_ALREADY_EXISTS) break;
    }
  }
  ~Temporary() {
    handle_.reset();
    if (!path_.empty() && !renamed_) DeleteFileW(toWide(path_).c_str());
  }
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;

  DWORD error() const { return error_; }
  HANDLE handle() const { return handle_.get(); }

  // Flushes and closes the file, then renames it over destination.
  DWORD commit(const std::string& destination, DWORD attributes) {
    if (!FlushFileBuffers(handle_.get())) return GetLastError();
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
    if (!SetFileInformationByHandle(handle_.get(), FileBasicInfo, &basic, sizeof basic))
      return GetLastError();
    handle_.reset();
    // One rename, atomic on the volume; WRITE_THROUGH returns only once it
    // is on the disk (the folder's entry included).
    if (!MoveFileExW(toWide(path_).c_str(), toWide(destination).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return GetLastError();
    renamed_ = true;
    return 0;
  }

 private:
  std::string path_;
  OwnedHandle handle_;
  DWORD error_ = 0;
  bool renamed_ = false;
};

}  // namespace

Replacement replaceFile(const std::string& path, std::string_view content) {
  // The old file itself, never what a link leads to: renaming over a link
  // would put a file where the user's link was.
  OpenedEntry old =
      windows_os::openRegularFile(path, READ_CONTROL | FILE_READ_ATTRIBUTES, kShareAll);
  if (old.error != 0 && !isMissing(static_cast<FileError>(old.error)))
    return {static_cast<FileError>(old.error), false};
  Temporary temporary(path);
  if (temporary.error() != 0) return {static_cast<FileError>(temporary.error()), false};
  DWORD error = writeWhole(temporary.handle(), content);
  if (error == 0 && old.handle.valid())
    error = copyAccessRules(old.handle.get(), temporary.handle());
  const DWORD attributes = old.handle.valid() ? old.info.dwFileAttributes & kKeptAttributes : 0;
  old.handle.reset();  // not held across the rename
  if (error == 0) error = temporary.commit(path, attributes);
  return {static_cast<FileError>(error), error == 0};
}

void removeStaleTemporaries(const std::string& folder, const timespec& before) {
  const std::int64_t beforeNs = windows_os::nsSince1970(before.tv_sec, before.tv_nsec);
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileExW(toWide(platform::joinPath(folder, "*")).c_str(), FindExInfoBasic,
                                   &found, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return;
  std::vector<std::string> stale;
  do {
    const std::string name = windows_os::fromWide(found.cFileName);
    const bool plainFile =
        (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
    if (plainFile && isOwnTemporaryName(name) &&
        windows_os::nsSince1970(found.ftLastWriteTime) < beforeNs)
      stale.push_back(name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  for (const std::string& name : stale)
    windows_os::removeNameOnly(platform::joinPath(folder, name));
}

CopyResult copyToNewFile(const std::string& from, const std::string& to) {
  OpenedEntry source = windows_os::openRegularFile(from, GENERIC_READ, kShareAll);
  if (source.error != 0)
    return isMissing(static_cast<FileError>(source.error)) ? CopyResult::Missing
                                                           : CopyResult::Failed;
  OwnedHandle target(CreateFileW(toWide(to).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!target.valid()) return CopyResult::Failed;
  std::vector<char> buffer(256 * 1024);
  bool copied = true;
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(source.handle.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got,
                    nullptr)) {
      copied = false;
      break;
    }
    if (got == 0) break;
    if (writeWhole(target.get(), std::string_view(buffer.data(), got)) != 0) {
      copied = false;
      break;
    }
  }
  target.reset();
  if (copied) return CopyResult::Copied;
  DeleteFileW(toWide(to).c_str());
  return CopyResult::Failed;
}

}  // namespace platform::files
