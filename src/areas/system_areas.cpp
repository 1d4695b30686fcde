#include "areas/system_areas.h"

#include <set>
#include <string>
#include <vector>

#include "areas/wipe_outcome.h"
#include "erase/wipe_choice.h"

namespace areas {

namespace {

// What the system keeps for itself in a shared temporary folder (the X
// server's sockets and locks, services' private folders) leaves the listing,
// each entry named once as kept; fileList follows the listing.
void leaveWhatTheSystemKeeps(platform::Platform& platform, erasure::WipeChoice& choice,
                             erasure::FileList& fileList, platform::ClearOutcome& outcome) {
  const platform::SystemKeeps keeps = platform.shell.systemKeepsIn(choice.path());
  if (!keeps) return;
  const std::string prefix = choice.path() == "/" ? "/" : choice.path() + "/";
  std::set<std::string> named;
  choice.leaveOut([&](const std::string& relative) {
    const std::string entry = keeps(relative);
    if (entry.empty()) return false;
    if (named.insert(entry).second) outcome.keep(prefix + entry, "the system keeps it");
    return true;
  });
  fileList.reset();
  for (const std::string& relative : choice.files()) fileList.entries.push_back(prefix + relative);
}

// Clears the temporary folder, or with preview only judges what it holds.
platform::ClearOutcome clearTemp(platform::Platform& platform, forms::Form& mainWindow,
                                 erasure::FileList& fileList, bool preview) {
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

// True when the file's content was overwritten, whether or not its name
// could then be removed (the emptying tries that again).
bool overwrittenFirst(const erasure::WipeResult& result) {
  return result.destroyed() || (result.outcome == erasure::WipeOutcome::Failed &&
                                result.reason.starts_with("it was overwritten"));
}

// Whether the secure emptying asked for the file and did not get it: its
// content stays readable somewhere (or, in a preview, would).
bool overwriteMissed(const erasure::WipeResult& result) {
  switch (result.outcome) {
    case erasure::WipeOutcome::LinkRemoved:  // a link holds no content of its own
    case erasure::WipeOutcome::NotRegular:   // nor does a pipe, socket or device
    case erasure::WipeOutcome::Missing:
      return false;
    default:
      return !overwrittenFirst(result);
  }
}

// Why a file was not overwritten, in the same words for a preview (which
// knows only what opening it found) and a run.
std::string notOverwrittenWords(const erasure::WipeResult& result) {
  switch (result.outcome) {
    case erasure::WipeOutcome::Deleted:
      return "not overwritten: it has other names (hard links), only this one is removed";
    case erasure::WipeOutcome::OldCopiesKept:
      return result.fileSystem.empty() ? "not overwritten: its blocks are shared with other files"
                                       : "not overwritten: its file system (" + result.fileSystem +
                                             ") keeps old copies of it";
    default:
      return "not overwritten: " +
             (result.reason.empty() ? std::string("it could not be opened") : result.reason);
  }
}

// Overwrites the files of one bin's files/ folder (with preview, only judges
// them): the trashed files the overwrite removed are told in outcome (each
// item once, in counted) with their sizes, and every file it could not
// overwrite is a failure, with the reason.
void overwriteBin(platform::Platform& platform, const std::string& bin, bool preview,
                  platform::ClearOutcome& outcome, std::set<std::string>& counted) {
  // Each bin is opened once and its files reached only through it.
  erasure::WipeChoice choice(platform, bin);
  if (!choice.opened()) {
    if (!choice.missing())
      outcome.fail(bin, "its files could not be overwritten: " + choice.problem());
    return;
  }
  if (choice.protection() != platform::FolderProtection::None) {
    outcome.fail(bin, "it is " + choice.protectionWords() + "; nothing in it was overwritten");
    return;
  }
  if (!choice.list())
    outcome.fail(bin, "not every file in it could be listed, so not every one was overwritten");
  if (choice.files().empty()) return;
  erasure::BatchOptions options;
  options.ownedByUserOnly = true;
  const std::vector<std::string>& files = choice.files();
  std::vector<erasure::WipeResult> results;
  std::vector<std::int64_t> sizes;
  if (preview) {
    results = choice.preview(options);
  } else {
    std::vector<std::string> paths;
    for (const std::string& relative : files) paths.push_back(bin + "/" + relative);
    sizes = FileSizes(platform, paths);
    erasure::WipeReport report = choice.wipe(1, options);
    if (report.folderChanged)
      outcome.fail(bin, "it was moved or replaced; nothing in it was overwritten");
    results = std::move(report.results);
  }
  for (std::size_t i = 0; i < results.size() && i < files.size(); ++i) {
    const erasure::WipeResult& result = results[i];
    const std::string path = bin + "/" + files[i];
    if (overwriteMissed(result)) outcome.fail(path, notOverwrittenWords(result));
    if (preview || !result.removed()) continue;
    outcome.bytes += sizes[i];
    // A trashed file is gone with its name; a trashed folder goes when emptied.
    const std::string& item = path;
    if (files[i].find('/') == std::string::npos && counted.insert(item).second) {
      ++outcome.removed;
      outcome.items.push_back(item);
    }
  }
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
  std::set<std::string> counted;  // trashed items told as removed, each once
  if (overwrite)
    for (const std::string& bin : platform.trash.binFolders())
      overwriteBin(platform, bin, false, outcome, counted);
  // What the overwrite left (folders, files it could not overwrite) goes now.
  platform::ClearOutcome emptied;
  platform.trash.emptyAll(&emptied);
  for (std::string& item : emptied.items)
    if (counted.insert(item).second) {
      ++outcome.removed;
      outcome.items.push_back(std::move(item));
    }
  emptied.items.clear();
  emptied.removed = 0;
  outcome.add(emptied);
  return outcome;
}

platform::ClearOutcome PreviewRecycleBin(platform::Platform& platform, bool overwrite) {
  platform::ClearOutcome outcome = platform.trash.previewEmptyAll();
  if (!overwrite) return outcome;
  std::set<std::string> counted(outcome.items.begin(), outcome.items.end());
  platform::ClearOutcome overwriting;
  for (const std::string& bin : platform.trash.binFolders())
    overwriteBin(platform, bin, true, overwriting, counted);
  outcome.failures.insert(outcome.failures.end(), overwriting.failures.begin(),
                          overwriting.failures.end());
  return outcome;
}

}  // namespace areas
