#include "platform/windows/overwrite_session.h"

#include <algorithm>
#include <set>
#include <vector>

#include "platform/windows/file_errors.h"
#include "platform/windows/folder_safety.h"
#include "platform/windows/win32.h"

namespace platform::windows_os {

namespace {

struct FileId {
  DWORD volume = 0, high = 0, low = 0;
  bool operator==(const FileId&) const = default;
};

bool idOf(HANDLE handle, FileId& id, BY_HANDLE_FILE_INFORMATION* infoOut = nullptr) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) return false;
  id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  if (infoOut) *infoOut = info;
  return true;
}

std::string backslashed(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

// The SIDs that count as the user's own: the user and the default owner of
// what the user creates (an elevated administrator's files belong to the
// Administrators group).
bool ownedByUser(HANDLE file) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                      nullptr, &descriptor) != ERROR_SUCCESS)
    return false;
  bool own = false;
  HANDLE token = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
    for (TOKEN_INFORMATION_CLASS kind : {TokenUser, TokenOwner}) {
      DWORD size = 0;
      GetTokenInformation(token, kind, nullptr, 0, &size);
      std::vector<unsigned char> buffer(size);
      if (size == 0 || !GetTokenInformation(token, kind, buffer.data(), size, &size)) continue;
      PSID sid = kind == TokenUser ? reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid
                                   : reinterpret_cast<TOKEN_OWNER*>(buffer.data())->Owner;
      if (owner && sid && EqualSid(owner, sid)) own = true;
    }
    CloseHandle(token);
  }
  LocalFree(descriptor);
  return own;
}

// A path below a folder: names joined by "/", none of them empty, "." or "..".
bool plainRelative(const std::string& path) {
  std::size_t start = 0;
  for (;;) {
    const auto end = path.find('/', start);
    const std::string name = path.substr(start, end - start);
    if (name.empty() || name == "." || name == ".." || name.find('\\') != std::string::npos ||
        name.find(':') != std::string::npos)
      return false;
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

// Sets or clears the read-only mark, keeping every other attribute.
bool setReadOnly(HANDLE file, FILE_BASIC_INFO basic, bool readOnly) {
  DWORD attributes =
      basic.FileAttributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_NORMAL);
  if (readOnly) attributes |= FILE_ATTRIBUTE_READONLY;
  basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  return SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic) != FALSE;
}

// Removes the file named path when it is still the file id names: the name
// goes when the handle that marks it is closed.
int removeByName(const std::string& path, const FileId& id) {
  HANDLE handle =
      CreateFileA(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return deleteErrorFromSystem(GetLastError());
  FileId now;
  int error = 0;
  if (!idOf(handle, now)) {
    error = deleteErrorFromSystem(GetLastError());
  } else if (!(now == id)) {
    error = kErrFileNotFound;  // the name now belongs to another file
  } else {
    FILE_DISPOSITION_INFO disposition{TRUE};
    if (!SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition))
      error = deleteErrorFromSystem(GetLastError());
  }
  CloseHandle(handle);
  return error;
}

}  // namespace

struct SessionState {
  std::string root;          // final path of the root folder; "" for none
  bool rootMissing = false;  // a root was given and could not be resolved
  std::set<OverwriteTarget*> open;
  int closeError = 0;  // the first failed flush at a close since the last syncAll
};

namespace {

class OverwriteTargetImpl : public OverwriteTarget {
 public:
  OverwriteTargetImpl(HANDLE handle, std::string path, FileId id,
                      std::shared_ptr<SessionState> state)
      : handle_(handle), path_(std::move(path)), id_(id), state_(std::move(state)) {
    if (handle_) state_->open.insert(this);
  }
  ~OverwriteTargetImpl() override { close(); }

  int length(std::int64_t& bytes) override {
    LARGE_INTEGER size{};
    if (!handle_ || !GetFileSizeEx(handle_, &size)) return errorFromSystem(GetLastError());
    bytes = size.QuadPart;
    return 0;
  }

  int writeAt(std::int64_t offset, const unsigned char* data, std::size_t size) override {
    if (!handle_) return errorFromSystem(ERROR_INVALID_HANDLE);
    while (size > 0) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
      OVERLAPPED at{};
      at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset) & 0xFFFFFFFFu);
      at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
      DWORD written = 0;
      if (!WriteFile(handle_, data, chunk, &written, &at)) return errorFromSystem(GetLastError());
      if (written == 0) return errorFromSystem(ERROR_WRITE_FAULT);
      dirty_ = true;
      offset += written;
      data += written;
      size -= written;
    }
    return 0;
  }

  int syncData() override {
    if (!handle_) return 0;
    if (!FlushFileBuffers(handle_)) return errorFromSystem(GetLastError());
    dirty_ = false;
    return 0;
  }

  void close() override {
    if (!handle_) return;
    // What was written reaches the disk before the handle goes; a failure
    // is told by the session's next syncAll.
    if (dirty_ && !FlushFileBuffers(handle_) && state_->closeError == 0)
      state_->closeError = errorFromSystem(GetLastError());
    CloseHandle(handle_);
    handle_ = nullptr;
    state_->open.erase(this);
  }

  int remove() override {
    if (!handle_) return removeByName(path_, id_);
    // Marked through the handle held: the name goes with the handle.
    FILE_DISPOSITION_INFO disposition{TRUE};
    if (!SetFileInformationByHandle(handle_, FileDispositionInfo, &disposition, sizeof disposition))
      return deleteErrorFromSystem(GetLastError());
    return 0;
  }

 private:
  HANDLE handle_;
  std::string path_;
  FileId id_;
  std::shared_ptr<SessionState> state_;
  bool dirty_ = false;
};

OverwriteOpen failed(int error) {
  OverwriteOpen result;
  result.kind = OverwriteKind::Failed;
  result.error = error;
  return result;
}

OverwriteOpen of(OverwriteKind kind) {
  OverwriteOpen result;
  result.kind = kind;
  return result;
}

}  // namespace

WindowsOverwriteSession::WindowsOverwriteSession(const OverwriteOptions& options)
    : options_(options), state_(std::make_shared<SessionState>()) {}

WindowsOverwriteSession::WindowsOverwriteSession(const OverwriteOptions& options,
                                                 std::string rootPath, FolderCheck listed)
    : options_(options), state_(std::make_shared<SessionState>()), listed_(std::move(listed)) {
  state_->root = std::move(rootPath);
  state_->rootMissing = state_->root.empty();
}

WindowsOverwriteSession::~WindowsOverwriteSession() = default;

OverwriteOpen WindowsOverwriteSession::open(const std::string& given) {
  if (state_->rootMissing) return failed(kErrPathNotFound);
  std::string path = backslashed(given);
  if (listed_) {
    // Below the chosen folder: only in folders its listing went through.
    const auto cut = given.find_last_of('/');
    const std::string folder = cut == std::string::npos ? "" : given.substr(0, cut);
    if (!plainRelative(given) || !listed_(folder)) return failed(kErrPathNotFound);
    path = state_->root + (state_->root.back() == '\\' ? "" : "\\") + path;
  }
  // First the entry itself, never what it points to, with no data access,
  // so that it neither conflicts with nor waits for another program.
  HANDLE meta =
      CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | READ_CONTROL,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (meta == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
      return of(OverwriteKind::Missing);
    if (error == ERROR_SHARING_VIOLATION) return of(OverwriteKind::InUse);
    return failed(errorFromSystem(error));
  }
  struct CloseMeta {
    HANDLE handle;
    ~CloseMeta() { CloseHandle(handle); }
  } closeMeta{meta};

  FileId id;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!idOf(meta, id, &info)) return failed(errorFromSystem(GetLastError()));
  // Below the session's folder, as the file actually lies: a junction or
  // link on the way to it that leads elsewhere makes it no file of ours.
  if (!state_->root.empty() && !pathWithin(finalPathOfHandle(meta), state_->root))
    return failed(kErrPathNotFound);

  // The name is looked at too: a system that follows some links when
  // opening (Wine, links of its host) still marks them by name.
  const DWORD named = GetFileAttributesA(path.c_str());
  const DWORD attributes =
      info.dwFileAttributes |
      (named != INVALID_FILE_ATTRIBUTES ? named & FILE_ATTRIBUTE_REPARSE_POINT : 0);
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    OverwriteOpen result = of(OverwriteKind::SymbolicLink);
    result.target = std::make_unique<OverwriteTargetImpl>(nullptr, path, id, state_);
    return result;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) || GetFileType(meta) != FILE_TYPE_DISK)
    return of(OverwriteKind::NotRegular);
  if (options_.ownedByUserOnly && !ownedByUser(meta)) return of(OverwriteKind::NotOwned);
  if (info.nNumberOfLinks > 1) {
    OverwriteOpen result = of(OverwriteKind::HardLinked);
    result.target = std::make_unique<OverwriteTargetImpl>(nullptr, path, id, state_);
    return result;
  }

  // No sharing at all: a handle of another program on the file makes this a
  // sharing violation, and none can be opened while ours is held.
  auto openData = [&] {
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                       OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  };
  HANDLE data = openData();
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    // A read-only file is made writable, so that its content is destroyed
    // too, not only its name (some systems let its owner open it for
    // writing all the same); it is marked read-only again if that fails.
    const DWORD openError = GetLastError();
    const bool refused = data == INVALID_HANDLE_VALUE;
    if (!refused || openError == ERROR_ACCESS_DENIED) {
      FILE_BASIC_INFO basic{};
      const bool cleared =
          GetFileInformationByHandleEx(meta, FileBasicInfo, &basic, sizeof basic) &&
          setReadOnly(meta, basic, false);
      if (refused && cleared) {
        data = openData();
        if (data == INVALID_HANDLE_VALUE) {
          const DWORD error = GetLastError();
          setReadOnly(meta, basic, true);
          SetLastError(error);
        }
      } else if (!refused && !cleared) {
        const DWORD error = GetLastError();
        CloseHandle(data);
        return failed(errorFromSystem(error));
      } else if (refused) {
        SetLastError(openError);
      }
    }
  }
  if (data == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
      return of(OverwriteKind::InUse);
    if (error == ERROR_FILE_NOT_FOUND) return of(OverwriteKind::Missing);
    return failed(errorFromSystem(error));
  }
  FileId opened;
  if (!idOf(data, opened) || !(opened == id)) {
    // The name was given to another file between the two opens.
    CloseHandle(data);
    return failed(kErrPathNotFound);
  }
  OverwriteOpen result = of(OverwriteKind::Opened);
  result.target = std::make_unique<OverwriteTargetImpl>(data, path, id, state_);
  return result;
}

int WindowsOverwriteSession::syncAll() {
  int error = state_->closeError;
  state_->closeError = 0;
  for (OverwriteTarget* target : state_->open) {
    const int flushError = target->syncData();
    if (error == 0) error = flushError;
  }
  return error;
}

}  // namespace platform::windows_os
