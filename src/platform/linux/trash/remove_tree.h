// Removal of a folder's contents relative to open directory descriptors, the
// way a trash must be emptied: a link is removed itself and never followed,
// no other file system mounted inside is entered, and no path is ever looked
// up again from the top, so a folder swapped for a link mid-walk leads nowhere.
#pragma once

#include <functional>

namespace platform::linux_os {

// Removes everything inside the open directory dirFd, at any depth, except
// the entries directly inside it that keep names; the directory itself
// stays. Folders of ours without write or search permission are opened up
// first. True when the directory ended empty.
bool RemoveContentsAt(int dirFd, const std::function<bool(const char* name)>& keep = {});

// True when the open directory dirFd holds no entry.
bool IsEmptyFolderAt(int dirFd);

// True when name under parentFd is the root of a mount (bind mounts of the
// same file system included), or when that cannot be told.
bool IsMountRootAt(int parentFd, const char* name);

}  // namespace platform::linux_os
