#include "platform/windows/chosen_folder.h"

#include <algorithm>
#include <map>
#include <vector>

#include "platform/windows/file_errors.h"
#include "platform/windows/folder_safety.h"
#include "platform/windows/overwrite_session.h"
#include "platform/windows/win32.h"

namespace platform::windows_os {

namespace {

struct FolderId {
  DWORD volume = 0, high = 0, low = 0;
  bool operator==(const FolderId&) const = default;
};

// Opens a folder itself (never what a reparse point there leads to), for
// listing, sharing reading and writing but not its deletion or renaming.
HANDLE openFolder(const std::string& path) {
  return CreateFileA(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

bool identify(HANDLE handle, FolderId& id, DWORD& attributes) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) return false;
  id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  attributes = info.dwFileAttributes;
  return true;
}

std::string lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

class WindowsChosenFolder : public ChosenFolder {
 public:
  WindowsChosenFolder(HANDLE handle, FolderId id, std::string path)
      : handle_(handle), id_(id), path_(std::move(path)), protection_(protectionOf(path_)) {}
  ~WindowsChosenFolder() override {
    release();
    CloseHandle(handle_);
  }

  const std::string& path() const override { return path_; }
  FolderProtection protection() const override { return protection_; }

  int walkFiles(const std::function<void(const std::string&)>& onFile) override {
    release();
    walkFolder("", onFile);
    return 0;
  }

  bool unchanged() override {
    HANDLE now = openFolder(path_);
    if (now == INVALID_HANDLE_VALUE) return false;
    FolderId id;
    DWORD attributes = 0;
    const bool same = identify(now, id, attributes) && id == id_ &&
                      !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                      lowered(finalPathOfHandle(now)) == lowered(path_);
    CloseHandle(now);
    return same;
  }

  std::unique_ptr<OverwriteSession> beginOverwrite(const OverwriteOptions& options) override {
    return std::make_unique<WindowsOverwriteSession>(
        options, path_,
        [this](const std::string& folder) { return folder.empty() || held_.count(folder) > 0; });
  }

 private:
  // Lists one folder (relative "" or "a/b") depth first, entering each
  // sub-folder where it is met, after holding it and checking that it is
  // where its name says: below this folder, not reached through a link.
  void walkFolder(const std::string& relative,
                  const std::function<void(const std::string&)>& onFile) {
    const std::string here = relative.empty() ? path_ : path_ + "\\" + slashToBackslash(relative);
    WIN32_FIND_DATAA data{};
    HANDLE find = FindFirstFileA((here + "\\*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;  // unreadable: contributes nothing
    struct CloseFind {
      HANDLE find;
      ~CloseFind() { FindClose(find); }
    } closeFind{find};
    do {
      const std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      const std::string inner = relative.empty() ? name : relative + "/" + name;
      const bool folder = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
      const bool link = data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
      if (!folder || link) {
        onFile(inner);  // files, and links (junctions, mount points) as themselves
      } else if (hold(inner, here + "\\" + name)) {
        walkFolder(inner, onFile);
      }
    } while (FindNextFileA(find, &data));
  }

  bool hold(const std::string& relative, const std::string& full) {
    HANDLE handle = openFolder(full);
    if (handle == INVALID_HANDLE_VALUE) return false;
    FolderId id;
    DWORD attributes = 0;
    if (!identify(handle, id, attributes) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        lowered(finalPathOfHandle(handle)) != lowered(full)) {
      CloseHandle(handle);
      return false;
    }
    held_[relative] = handle;
    return true;
  }

  void release() {
    for (auto& [relative, handle] : held_) CloseHandle(handle);
    held_.clear();
  }

  static std::string slashToBackslash(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
  }

  HANDLE handle_;
  FolderId id_;
  std::string path_;
  FolderProtection protection_;
  std::map<std::string, HANDLE> held_;  // the folders the listing went through
};

}  // namespace

ChosenFolderOpen chooseWindowsFolder(const std::string& folder) {
  ChosenFolderOpen result;
  std::string typed = folder;
  std::replace(typed.begin(), typed.end(), '/', '\\');
  char full[MAX_PATH + 1] = {};
  const DWORD n = GetFullPathNameA(typed.c_str(), sizeof full, full, nullptr);
  if (n == 0 || n >= sizeof full) {
    result.path = folder;
    result.state = ChosenFolderState::Failed;
    result.error = errorFromSystem(n == 0 ? GetLastError() : ERROR_FILENAME_EXCED_RANGE);
    return result;
  }
  std::string path(full, n);
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  result.path = path;

  // The name itself is looked at too: a system that follows some links
  // when opening (Wine, links of its host) still marks them by name.
  const DWORD named = GetFileAttributesA(path.c_str());
  if (named != INVALID_FILE_ATTRIBUTES && (named & FILE_ATTRIBUTE_REPARSE_POINT)) {
    result.state = ChosenFolderState::IsLink;
    result.linkTarget = finalPath(path);
    return result;
  }
  HANDLE handle = openFolder(path);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      result.state = ChosenFolderState::Missing;
    } else if (error == ERROR_DIRECTORY) {
      result.state = ChosenFolderState::NotFolder;
    } else {
      result.state = ChosenFolderState::Failed;
      result.error = errorFromSystem(error);
    }
    return result;
  }
  FolderId id;
  DWORD attributes = 0;
  if (!identify(handle, id, attributes)) {
    result.state = ChosenFolderState::Failed;
    result.error = errorFromSystem(GetLastError());
    CloseHandle(handle);
    return result;
  }
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    CloseHandle(handle);
    result.state = ChosenFolderState::IsLink;
    result.linkTarget = finalPath(path);
    return result;
  }
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    CloseHandle(handle);
    result.state = ChosenFolderState::NotFolder;
    return result;
  }
  const std::string resolved = finalPathOfHandle(handle);
  if (resolved.empty()) {
    result.state = ChosenFolderState::Failed;
    result.error = errorFromSystem(GetLastError());
    CloseHandle(handle);
    return result;
  }
  result.state = ChosenFolderState::Opened;
  result.path = resolved;
  result.folder = std::make_unique<WindowsChosenFolder>(handle, id, resolved);
  return result;
}

}  // namespace platform::windows_os
