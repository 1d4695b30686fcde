#include "platform/windows/windows_file_layer.h"

#include "platform/windows/chosen_folder.h"
#include "platform/windows/file_errors.h"
#include "platform/windows/overwrite_session.h"
#include "platform/windows/win32.h"

namespace platform::windows_os {

namespace {

std::string withSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder.push_back('\\');
  return folder;
}

int attributesOf(DWORD system) {
  return static_cast<int>(system &
                          (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                           FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE));
}

bool isDotName(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Calls onEntry for every entry of folder but "." and "..". False when the
// folder could not be searched.
template <typename OnEntry>
bool forEachEntry(const std::string& folder, OnEntry onEntry) {
  WIN32_FIND_DATAA data{};
  HANDLE find = FindFirstFileA((withSeparator(folder) + "*.*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  do {
    if (!isDotName(data.cFileName)) onEntry(data);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return true;
}

}  // namespace

std::vector<DirEntry> WindowsFileLayer::listFolder(const std::string& folder) {
  std::vector<DirEntry> entries;
  forEachEntry(folder, [&](const WIN32_FIND_DATAA& data) {
    entries.push_back({data.cFileName, attributesOf(data.dwFileAttributes)});
  });
  return entries;
}

int WindowsFileLayer::deleteFile(const std::string& path) {
  // DeleteFileA removes a symbolic link itself, never its target.
  if (DeleteFileA(path.c_str())) return 0;
  return deleteErrorFromSystem(GetLastError());
}

int WindowsFileLayer::setAttributes(const std::string& path, int attributes) {
  const DWORD current = GetFileAttributesA(path.c_str());
  if (current == INVALID_FILE_ATTRIBUTES) return errorFromSystem(GetLastError());
  // A link's attributes are its own; setting them never reaches the target.
  DWORD wanted = static_cast<DWORD>(attributes) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                   FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
  if (wanted == 0) wanted = FILE_ATTRIBUTE_NORMAL;
  if (current & FILE_ATTRIBUTE_DIRECTORY) wanted &= ~static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL);
  if (!SetFileAttributesA(path.c_str(), wanted)) return errorFromSystem(GetLastError());
  return 0;
}

int WindowsFileLayer::fileLength(const std::string& path, std::int64_t& length) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  // The entry itself: a link's own length, its target not followed.
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
    return errorFromSystem(GetLastError());
  length = static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                     data.nFileSizeLow);
  return 0;
}

std::string WindowsFileLayer::errorText(int error) {
  return fileErrorText(error);
}

int WindowsFileLayer::walkFiles(const std::string& folder,
                                const std::function<void(const std::string&)>& onFile) {
  const std::string top = withSeparator(folder);
  const DWORD topAttributes = GetFileAttributesA(top.c_str());
  if (topAttributes == INVALID_FILE_ATTRIBUTES) return errorFromSystem(GetLastError());
  if (!(topAttributes & FILE_ATTRIBUTE_DIRECTORY)) return kErrPathNotFound;
  // Depth first, in the order each folder is listed: a sub-folder is entered
  // where it is met. Open searches are kept on a stack, not in recursion, so
  // a deep tree cannot exhaust the thread's stack.
  struct Frame {
    HANDLE find;
    std::string relative;  // "" or "a/b/"
  };
  std::vector<Frame> frames;
  struct CloseAll {
    std::vector<Frame>& frames;
    ~CloseAll() {
      for (const Frame& frame : frames) FindClose(frame.find);
    }
  } closeAll{frames};
  auto enter = [&](const std::string& relative, WIN32_FIND_DATAA& data) {
    HANDLE find = FindFirstFileA((top + relative + "*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;  // unreadable: contributes nothing
    frames.push_back({find, relative});
    return true;
  };
  WIN32_FIND_DATAA data{};
  bool have = enter("", data);
  while (!frames.empty()) {
    if (!have) {
      FindClose(frames.back().find);
      frames.pop_back();
      if (frames.empty()) break;
      have = FindNextFileA(frames.back().find, &data) != FALSE;
      continue;
    }
    const std::string relative = frames.back().relative;
    if (!isDotName(data.cFileName)) {
      const std::string name = relative + data.cFileName;
      const bool folderEntry = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
      const bool link = data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
      if (folderEntry && !link) {
        WIN32_FIND_DATAA inner{};
        if (enter(name + "/", inner)) {
          data = inner;
          continue;
        }
      } else {
        onFile(name);  // files, and links (junctions too) as themselves
      }
    }
    have = FindNextFileA(frames.back().find, &data) != FALSE;
  }
  return 0;
}

std::unique_ptr<OverwriteSession> WindowsFileLayer::beginOverwrite(
    const OverwriteOptions& options) {
  return std::make_unique<WindowsOverwriteSession>(options);
}

ChosenFolderOpen WindowsFileLayer::chooseFolder(const std::string& folder) {
  return chooseWindowsFolder(folder);
}

std::string WindowsFileLayer::homeFolder() {
  char buffer[MAX_PATH + 1] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, buffer)))
    return "";
  return buffer;
}

}  // namespace platform::windows_os
