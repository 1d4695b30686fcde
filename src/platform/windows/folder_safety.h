// Whether the files under a folder may be cleared wholesale, judged on the
// folder the path resolves to (junctions and links undone): never a drive
// root, the Windows folder, a Program Files folder, the user's profile or a
// folder above it, nor another user's profile.
#pragma once

#include <string>

#include "platform/file_layer.h"

namespace platform::windows_os {

enum class FolderVerdict {
  Allowed,
  Missing,         // does not exist or cannot be opened
  DriveRoot,       // "C:\" or the root of a network share
  SystemFolder,    // %SystemRoot%, %ProgramFiles% and what lies below them
  ProfileOrAbove,  // the user's profile folder or a folder that holds it
  OtherUser,       // inside another user's profile
};

FolderVerdict judgeFolder(const std::string& folder);
// The same for a folder known by its final path.
FolderVerdict judgeFinalPath(const std::string& path);
// The verdict in the words of the file layer: the drive of Windows is the
// root, another drive's top folder a mount root, the profile folder the home.
FolderProtection protectionOf(const std::string& finalPath);
inline bool mayClearFolder(const std::string& folder) {
  return judgeFolder(folder) == FolderVerdict::Allowed;
}

// The final path of an existing file or folder ("C:\dir\file", no "\\?\"
// prefix, no trailing "\" except on a root); "" when it cannot be opened.
std::string finalPath(const std::string& path);
// The same for an open handle.
std::string finalPathOfHandle(void* handle);
// True when path is folder or lies below it (final paths, any case).
bool pathWithin(const std::string& path, const std::string& folder);

}  // namespace platform::windows_os
