// The temporary folder and the recycle bins of every drive.
#pragma once

#include "erase/file_list.h"
#include "platform/clear_outcome.h"
#include "platform/system.h"

namespace areas {

// Wipes every file under the temporary folder with one pass; folders stay. A temporary folder
// that the folder-safety rule protects (the root, home, a system folder ...)
// is not touched at all; in a shared one, what the system keeps for itself
// stays and is named as kept. Returns what was removed and what was left, and why.
platform::ClearOutcome ClearTempFolder(platform::System& platform, erasure::FileList& fileList);
// What ClearTempFolder would remove and leave: the same listing and the same
// judgement of each file, with nothing written or removed.
platform::ClearOutcome PreviewTempFolder(platform::System& platform, erasure::FileList& fileList);

// Empties the recycle bins of every drive, without asking. overwrite first
// wipes every trashed file with one pass ("Secure Wipe all other areas").
// Every trashed item removed counts once, by the overwrite or the emptying;
// a file that could not be overwritten is a failure even when it went.
platform::ClearOutcome EmptyRecycleBin(platform::System& platform, bool overwrite = false);
// What EmptyRecycleBin would remove, removing nothing; with overwrite, also
// the files that could not be overwritten.
platform::ClearOutcome PreviewRecycleBin(platform::System& platform, bool overwrite = false);

}  // namespace areas
