// The temporary folder cleared or previewed for a window: its wait cursor
// shows while the area runs and goes whatever happens.
#pragma once

#include "erase/file_list.h"
#include "forms/form.h"
#include "platform/clear_outcome.h"
#include "platform/system.h"

namespace app {

platform::ClearOutcome ClearTempFolder(platform::System& platform, forms::Form& mainWindow,
                                       erasure::FileList& fileList);
platform::ClearOutcome PreviewTempFolder(platform::System& platform, forms::Form& mainWindow,
                                         erasure::FileList& fileList);

}  // namespace app
