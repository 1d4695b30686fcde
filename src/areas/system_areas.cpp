#include "areas/system_areas.h"

#include <string>

#include "erase/wipe_choice.h"

namespace areas {

platform::ClearOutcome ClearTempFolder(platform::Platform& platform, forms::Form& mainWindow,
                                       erasure::FileList& fileList) {
  forms::HourglassGuard hourglass(mainWindow);
  platform::ClearOutcome outcome;
  fileList.reset();
  const std::string folder = platform.shell.tempPath();
  if (folder.empty()) {
    outcome.fail("the temporary folder", "the system does not say where it is");
    return outcome;
  }
  // /tmp is shared with every user and program: the folder is opened once,
  // judged by the folder-safety rule as what was opened, and every file is
  // reached through it.
  erasure::WipeChoice choice(platform, folder);
  if (!choice.opened()) {
    if (!choice.missing()) outcome.fail(choice.path(), choice.problem());
    return outcome;
  }
  if (choice.protection() != platform::FolderProtection::None) {
    outcome.fail(choice.path(), "it is " + choice.protectionWords() + "; nothing was cleared");
    return outcome;
  }
  if (!choice.list(&fileList))
    // What was listed is still the temporary folder's and is cleared; the
    // rest waits for the next run.
    outcome.fail(choice.path(), "not every file in it could be listed");
  if (choice.files().empty()) return outcome;
  // Only the user's own regular files; in-use files, sockets, FIFOs and
  // devices stay, links go without their targets. One pass, one sync.
  erasure::BatchOptions options;
  options.ownedByUserOnly = true;
  erasure::WipeReport report = choice.wipe(1, options);
  if (report.folderChanged)
    outcome.fail(choice.path(), "it was moved or replaced while it was cleared");
  outcome.add(report.outcome());
  return outcome;
}

void EmptyRecycleBin(platform::Platform& platform, bool overwrite) {
  if (overwrite) {
    for (const std::string& bin : platform.trash.binFolders()) {
      // Each bin is opened once and its files reached only through it.
      erasure::WipeChoice choice(platform, bin);
      if (!choice.opened() || choice.protection() != platform::FolderProtection::None) continue;
      choice.list();
      if (choice.files().empty()) continue;
      erasure::BatchOptions options;
      options.ownedByUserOnly = true;
      choice.wipe(1, options);
    }
  }
  platform.trash.emptyAll();
}

}  // namespace areas
