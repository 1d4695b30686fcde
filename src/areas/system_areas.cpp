#include "areas/system_areas.h"

#include <string>
#include <vector>

#include "areas/wipe_outcome.h"
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

// Clears the temporary folder, or with preview only judges what it holds.
platform::ClearOutcome clearTemp(platform::Platform& platform, forms::Form& mainWindow,
                                 erasure::FileList& fileList, bool preview) {
  forms::HourglassGuard hourglass(mainWindow);
  platform::ClearOutcome outcome;
  fileList.reset();
  const std::string folder = clearableTempFolder(platform);
  if (folder.empty()) {
    const std::string named = platform.shell.tempPath();
    outcome.fail(named.empty() ? "the temporary folder" : named,
                 named.empty() ? "it could not be found"
                               : "it is the root, the home folder or a folder that holds it; "
                                 "nothing in it is cleared");
    return outcome;
  }
  try {
    erasure::EnumFiles(platform, fileList, folder);
  } catch (const erasure::EnumError& error) {
    // What was listed is still the temporary folder's and is cleared; the
    // rest waits for the next run.
    outcome.fail(folder, std::string("it could not be listed whole: ") + error.what());
  }
  const std::vector<std::string> paths(fileList.entries.begin() + 1, fileList.entries.end());
  if (paths.empty()) return outcome;
  // Only the user's own regular files; in-use files, sockets, FIFOs and
  // devices stay, links go without their targets. One sync for the batch.
  erasure::BatchOptions options;
  options.ownedByUserOnly = true;
  options.root = folder;
  const std::vector<std::int64_t> sizes = FileSizes(platform, paths);
  AddWipeResults(outcome,
                 preview ? PreviewWipe(platform, paths, options)
                         : erasure::WipeFiles(platform, paths, 1, options),
                 sizes);
  return outcome;
}

}  // namespace

platform::ClearOutcome ClearTempFolder(platform::Platform& platform, forms::Form& mainWindow,
                                       erasure::FileList& fileList) {
  return clearTemp(platform, mainWindow, fileList, false);
}

platform::ClearOutcome PreviewTempFolder(platform::Platform& platform, forms::Form& mainWindow,
                                         erasure::FileList& fileList) {
  return clearTemp(platform, mainWindow, fileList, true);
}

platform::ClearOutcome EmptyRecycleBin(platform::Platform& platform, bool overwrite) {
  platform::ClearOutcome outcome;
  if (overwrite) {
    for (const std::string& bin : platform.trash.binFolders()) {
      std::vector<std::string> paths;
      platform.files.walkFiles(
          bin, [&](const std::string& relative) { paths.push_back(bin + "/" + relative); });
      erasure::BatchOptions options;
      options.ownedByUserOnly = true;
      options.root = bin;
      if (paths.empty()) continue;
      // A file that could not be overwritten is still removed below, but
      // not destroyed: that is said.
      for (const erasure::WipeResult& result : erasure::WipeFiles(platform, paths, 1, options))
        if (result.outcome == erasure::WipeOutcome::InUse ||
            result.outcome == erasure::WipeOutcome::Failed)
          outcome.fail(result.path, "not overwritten: " + result.reason);
    }
  }
  platform.trash.emptyAll(&outcome);
  return outcome;
}

platform::ClearOutcome PreviewRecycleBin(platform::Platform& platform) {
  return platform.trash.previewEmptyAll();
}

}  // namespace areas
