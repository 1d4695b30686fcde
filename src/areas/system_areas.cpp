#include "areas/system_areas.h"

#include <string>
#include <vector>

#include "erase/enum_files.h"
#include "erase/secure_wipe.h"

namespace areas {

namespace {

// The temporary folder when its files may be cleared, else "". /tmp is
// shared with every user and program, so the shell must vouch for it: never
// the root, the home folder or a folder above it.
std::string clearableTempFolder(platform::Platform& platform) {
  std::string folder = platform.shell.tempPath();
  if (folder.empty() || !platform.shell.mayClearFolder(folder)) return {};
  return folder;
}

}  // namespace

void ClearTempFolder(platform::Platform& platform, forms::Form& mainWindow,
                     erasure::FileList& fileList) {
  forms::HourglassGuard hourglass(mainWindow);
  fileList.reset();
  const std::string folder = clearableTempFolder(platform);
  if (folder.empty()) return;
  try {
    erasure::EnumFiles(platform, fileList, folder);
  } catch (const erasure::EnumError&) {
    // The listing could not be completed: what was listed is still the
    // temporary folder's and is cleared; the rest waits for the next run.
  }
  const std::vector<std::string> paths(fileList.entries.begin() + 1, fileList.entries.end());
  if (paths.empty()) return;
  // Only the user's own regular files; in-use files, sockets, FIFOs and
  // devices stay, links go without their targets. One sync for the batch.
  erasure::BatchOptions options;
  options.ownedByUserOnly = true;
  options.root = folder;
  erasure::WipeFiles(platform, paths, 1, options);
}

void EmptyRecycleBin(platform::Platform& platform, bool overwrite) {
  if (overwrite) {
    for (const std::string& bin : platform.trash.binFolders()) {
      std::vector<std::string> paths;
      platform.files.walkFiles(
          bin, [&](const std::string& relative) { paths.push_back(bin + "/" + relative); });
      erasure::BatchOptions options;
      options.ownedByUserOnly = true;
      options.root = bin;
      if (!paths.empty()) erasure::WipeFiles(platform, paths, 1, options);
    }
  }
  platform.trash.emptyAll();
}

}  // namespace areas
