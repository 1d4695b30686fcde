#include "areas/trash_overwrite.h"

#include <string>
#include <vector>

#include "areas/wipe_outcome.h"
#include "erase/wipe_choice.h"
#include "platform/paths.h"

namespace areas {

namespace {

// True when the file's content was overwritten, whether or not its name
// could then be removed (the emptying tries that again).
bool overwrittenFirst(const erasure::WipeResult& result) {
  return result.destroyed() || result.outcome == erasure::WipeOutcome::Overwritten;
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

}  // namespace

void OverwriteBin(platform::System& platform, const std::string& bin, bool preview,
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
    for (const std::string& relative : files) paths.push_back(platform::pathBelow(bin, relative));
    sizes = FileSizes(platform, paths);
    erasure::WipeReport report = choice.wipe(1, options);
    if (report.folderChanged)
      outcome.fail(bin, "it was moved or replaced; nothing in it was overwritten");
    results = std::move(report.results);
  }
  for (std::size_t i = 0; i < results.size() && i < files.size(); ++i) {
    const erasure::WipeResult& result = results[i];
    const std::string path = platform::pathBelow(bin, files[i]);
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

}  // namespace areas
