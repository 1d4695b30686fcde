#include "app/temp_folder_wait.h"

#include "areas/system_areas.h"

namespace app {

platform::ClearOutcome ClearTempFolder(platform::System& platform, forms::Form& mainWindow,
                                       erasure::FileList& fileList) {
  forms::HourglassGuard hourglass(mainWindow);
  return areas::ClearTempFolder(platform, fileList);
}

platform::ClearOutcome PreviewTempFolder(platform::System& platform, forms::Form& mainWindow,
                                         erasure::FileList& fileList) {
  forms::HourglassGuard hourglass(mainWindow);
  return areas::PreviewTempFolder(platform, fileList);
}

}  // namespace app
