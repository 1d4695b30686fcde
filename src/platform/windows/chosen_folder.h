// A folder chosen for destruction on Windows: opened once, without sharing
// its deletion, so that neither it nor (on NTFS) a folder above it can be
// renamed, moved or replaced while it is held; every folder its listing goes
// through is held the same way until the folder is let go.
#pragma once

#include "platform/file_layer.h"

namespace platform::windows_os {

// Makes folder absolute against the working folder and opens it.
ChosenFolderOpen chooseWindowsFolder(const std::string& folder);

}  // namespace platform::windows_os
