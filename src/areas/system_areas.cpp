#include "areas/system_areas.h"

namespace areas {

void ClearTempFolder(platform::Platform&, forms::Form& mainWindow, erasure::FileList& fileList) {
  forms::HourglassGuard hourglass(mainWindow);
  fileList.reset();
}

void EmptyRecycleBin(platform::Platform& platform) { platform.trash.emptyAll(); }

}  // namespace areas
