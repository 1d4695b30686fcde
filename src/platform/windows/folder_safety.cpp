#include "platform/windows/folder_safety.h"

#include <cctype>
#include <vector>

#include "platform/windows/win32.h"

namespace platform::windows_os {

namespace {

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// True when inner is outer or lies below it (both final paths).
bool within(const std::string& inner, const std::string& outer) {
  if (outer.empty()) return false;
  const std::string a = lower(inner), b = lower(outer);
  if (a == b) return true;
  const std::string prefix = b.back() == '\\' ? b : b + '\\';
  return a.compare(0, prefix.size(), prefix) == 0;
}

bool isRoot(const std::string& path) {
  if (path.size() <= 3 && path.size() >= 2 && path[1] == ':') return true;
  // "\\server\share" with nothing below it.
  if (path.rfind("\\\\", 0) == 0) {
    const auto share = path.find('\\', 2);
    return share == std::string::npos || path.find('\\', share + 1) == std::string::npos;
  }
  return false;
}

std::string knownFolder(int csidl) {
  char buffer[MAX_PATH + 1] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer))) return "";
  return finalPath(buffer);
}

}  // namespace

bool pathWithin(const std::string& path, const std::string& folder) {
  return within(path, folder);
}

std::string finalPath(const std::string& path) {
  HANDLE handle =
      CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return "";
  std::string result = finalPathOfHandle(handle);
  CloseHandle(handle);
  return result;
}

std::string finalPathOfHandle(void* handle) {
  std::vector<char> buffer(MAX_PATH + 1);
  DWORD n = GetFinalPathNameByHandleA(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (n >= buffer.size()) {
    buffer.resize(n + 1);
    n = GetFinalPathNameByHandleA(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  }
  if (n == 0 || n >= buffer.size()) return "";
  std::string result(buffer.data(), n);
  if (result.rfind("\\\\?\\UNC\\", 0) == 0)
    result = "\\\\" + result.substr(8);
  else if (result.rfind("\\\\?\\", 0) == 0)
    result = result.substr(4);
  while (result.size() > 3 && result.back() == '\\') result.pop_back();
  return result;
}

FolderVerdict judgeFolder(const std::string& folder) {
  return judgeFinalPath(finalPath(folder));
}

FolderVerdict judgeFinalPath(const std::string& path) {
  if (path.empty()) return FolderVerdict::Missing;
  if (isRoot(path)) return FolderVerdict::DriveRoot;
  for (int csidl : {CSIDL_WINDOWS, CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86})
    if (within(path, knownFolder(csidl))) return FolderVerdict::SystemFolder;
  const std::string profile = knownFolder(CSIDL_PROFILE);
  // Without a profile to measure against, nothing is safe to judge.
  if (profile.empty() || within(profile, path)) return FolderVerdict::ProfileOrAbove;
  if (within(path, profile)) return FolderVerdict::Allowed;
  // Beside the profile, in the folder of all profiles: another user's.
  const auto cut = profile.find_last_of('\\');
  if (cut != std::string::npos && cut > 2 && within(path, profile.substr(0, cut)))
    return FolderVerdict::OtherUser;
  return FolderVerdict::Allowed;
}

}  // namespace platform::windows_os

namespace platform::windows_os {

FolderProtection protectionOf(const std::string& path) {
  switch (judgeFinalPath(path)) {
    case FolderVerdict::Allowed:
      return FolderProtection::None;
    case FolderVerdict::DriveRoot: {
      const std::string windows = knownFolder(CSIDL_WINDOWS);
      const bool systemDrive = windows.size() >= 2 && path.size() >= 2 &&
                               lower(windows.substr(0, 2)) == lower(path.substr(0, 2));
      return systemDrive ? FolderProtection::Root : FolderProtection::MountRoot;
    }
    case FolderVerdict::SystemFolder:
      return FolderProtection::System;
    case FolderVerdict::ProfileOrAbove:
      return lower(path) == lower(knownFolder(CSIDL_PROFILE)) ? FolderProtection::Home
                                                              : FolderProtection::HoldsHome;
    case FolderVerdict::OtherUser:
      return FolderProtection::OtherUsersHome;
    case FolderVerdict::Missing:
      break;
  }
  return FolderProtection::System;  // what cannot be judged is not destroyed
}

}  // namespace platform::windows_os
