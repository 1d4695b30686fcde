// The temporary folder and the recycle bins of every drive.
#pragma once

#include "erase/file_list.h"
#include "forms/form.h"
#include "platform/clear_outcome.h"
#include "platform/platform.h"

namespace areas {

// Wipes every file under the temporary folder with one pass; folders stay.
// Shows the wait cursor over mainWindow while it runs. Tells what went and
// what stayed; a preview lists and judges the same files and changes nothing.
platform::ClearOutcome ClearTempFolder(platform::Platform& platform, forms::Form& mainWindow,
                                       erasure::FileList& fileList, bool preview = false);

// Empties the recycle bins of every drive, without asking (or, as a
// preview, lists what that would remove).
platform::ClearOutcome EmptyRecycleBin(platform::Platform& platform, bool preview = false);

}  // namespace areas
