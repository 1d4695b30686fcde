#include "areas/system_areas.h"

#include <set>
#include <string>
#include <vector>

#include "areas/trash_overwrite.h"
#include "areas/wipe_outcome.h"
#include "erase/wipe_choice.h"
#include "platform/paths.h"

namespace areas {

namespace {

// What the system keeps for itself in a shared temporary folder (the X
// server's sockets and locks, services' private folders) leaves the listing,
// each entry named once as kept; fileList follows the listing.
void leaveWhatTheSystemKeeps(platform::System& platform, erasure::WipeChoice& choice,
                             erasure::FileList& fileList, platform::ClearOutcome& outcome) {
  const platform::SystemKeeps keeps = platform.shell.systemKeepsIn(choice.path());
  if (!keeps) return;
  std::set<std::string> named;
  choice.leaveOut([&](const std::string& relative) {
    const std::string entry = keeps(relative);
    if (entry.empty()) return false;
    if (named.insert(entry).second)
      outcome.keep(platform::pathBelow(choice.path(), entry), "the system keeps it");
    return true;
  });
  fileList.reset();
  for (const std::string& relative : choice.files())
    fileList.entries.push_back(platform::pathBelow(choice.path(), relative));
}

// Clears the temporary folder, or with preview only judges what it holds.
platform::ClearOutcome clearTemp(platform::System& platform, erasure::FileList& fileList,
                                 bool preview) {
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
  leaveWhatTheSystemKeeps(platform, choice, fileList, outcome);
  if (choice.files().empty()) return outcome;
  // Only the user's own regular files; in-use files, sockets, FIFOs and
  // devices stay, links go without their targets. One pass, one sync.
  erasure::BatchOptions options;
  options.ownedByUserOnly = true;
  const std::vector<std::string> paths(fileList.entries.begin() + 1, fileList.entries.end());
  const std::vector<std::int64_t> sizes = FileSizes(platform, paths);
  if (preview) {
    AddWipeResults(outcome, choice.preview(options), sizes);
    return outcome;
  }
  erasure::WipeReport report = choice.wipe(1, options);
  if (report.folderChanged)
    outcome.fail(choice.path(), "it was moved or replaced while it was cleared");
  AddWipeResults(outcome, report.results, sizes);
  return outcome;
}

}  // namespace

platform::ClearOutcome ClearTempFolder(platform::System& platform, erasure::FileList& fileList) {
  return clearTemp(platform, fileList, false);
}

platform::ClearOutcome PreviewTempFolder(platform::System& platform, erasure::FileList& fileList) {
  return clearTemp(platform, fileList, true);
}

platform::ClearOutcome EmptyRecycleBin(platform::System& platform, bool overwrite) {
  platform::ClearOutcome outcome;
  std::set<std::string> counted;  // trashed items told as removed, each once
  if (overwrite)
    for (const std::string& bin : platform.trash.binFolders())
      OverwriteBin(platform, bin, false, outcome, counted);
  // What the overwrite left (folders, files it could not overwrite) goes now.
  platform::ClearOutcome emptied;
  platform.trash.emptyAll(&emptied);
  for (std::string& item : emptied.items) {
    if (counted.insert(item).second)
      outcome.items.push_back(std::move(item));
    else
      --emptied.removed;  // the overwrite told it already
  }
  emptied.items.clear();
  outcome.add(emptied);
  return outcome;
}

platform::ClearOutcome PreviewRecycleBin(platform::System& platform, bool overwrite) {
  platform::ClearOutcome outcome = platform.trash.previewEmptyAll();
  if (!overwrite) return outcome;
  std::set<std::string> unused;
  platform::ClearOutcome overwriting;
  for (const std::string& bin : platform.trash.binFolders())
    OverwriteBin(platform, bin, true, overwriting, unused);
  outcome.failures.insert(outcome.failures.end(), overwriting.failures.begin(),
                          overwriting.failures.end());
  return outcome;
}

}  // namespace areas
