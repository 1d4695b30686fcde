#include "erase/wipe_choice.h"

#include <new>

#include "erase/overwrite_passes.h"
#include "platform/paths.h"

namespace erasure {

using platform::ChosenFolderState;
using platform::FolderProtection;

std::string ProtectionWords(FolderProtection protection) {
  switch (protection) {
    case FolderProtection::None:
      return {};
    case FolderProtection::Root:
      return "the root of the file system";
    case FolderProtection::Home:
      return "your home folder";
    case FolderProtection::HoldsHome:
      return "a folder that holds your home folder";
    case FolderProtection::System:
      return "a folder of the system";
    case FolderProtection::OtherUsersHome:
      return "another user's home folder";
    case FolderProtection::MountRoot:
      return "the top folder of a drive or file system mounted there";
  }
  return "a protected folder";
}

WipeChoice::WipeChoice(platform::System& platform, const std::string& typed) : platform_(platform) {
  platform::ChosenFolderOpen chosen = platform.files.chooseFolder(typed);
  state_ = chosen.state;
  path_ = chosen.path.empty() ? typed : chosen.path;
  switch (chosen.state) {
    case ChosenFolderState::Opened:
      folder_ = std::move(chosen.folder);
      path_ = folder_->path();
      break;
    case ChosenFolderState::IsLink:
      problem_ = path_ + " is a link to " +
                 (chosen.linkTarget.empty() ? "nowhere" : chosen.linkTarget) +
                 "; nothing was wiped.";
      break;
    case ChosenFolderState::Missing:
      problem_ = path_ + " does not exist; nothing was wiped.";
      break;
    case ChosenFolderState::NotFolder:
      problem_ = path_ + " is not a folder; nothing was wiped.";
      break;
    case ChosenFolderState::Failed:
      problem_ = path_ + " could not be opened: " + platform.files.errorText(chosen.error) +
                 "; nothing was wiped.";
      break;
  }
}

WipeChoice::~WipeChoice() = default;
WipeChoice::WipeChoice(WipeChoice&&) noexcept = default;

FolderProtection WipeChoice::protection() const {
  return folder_ ? folder_->protection() : FolderProtection::None;
}

std::string WipeChoice::protectionWords() const {
  return ProtectionWords(protection());
}

bool WipeChoice::list(FileList* fileList) {
  files_.clear();
  if (fileList) fileList->reset();
  if (!folder_) return false;
  int error = 0;
  try {
    error = folder_->walkFiles([&](const std::string& relative) {
      files_.push_back(relative);
      if (fileList) fileList->entries.push_back(platform::pathBelow(path_, relative));
    });
  } catch (const std::bad_alloc&) {
    problem_ =
        "There is not enough memory to list every file under " + path_ + "; nothing was wiped.";
    return false;
  }
  if (error != 0) {
    problem_ = "The files under " + path_ +
               " could not all be listed: " + platform_.files.errorText(error) +
               "; nothing was wiped.";
    return false;
  }
  return true;
}

void WipeChoice::leaveOut(const std::function<bool(const std::string& relative)>& leave) {
  std::erase_if(files_, leave);
}

WipeReport WipeChoice::wipe(int passes, const BatchOptions& options) {
  WipeReport report;
  if (!folder_) return report;
  // A question may have been on screen for as long as anyone liked: the
  // folder must still be the one that was chosen, where it was chosen.
  if (!folder_->unchanged()) {
    report.folderChanged = true;
    return report;
  }
  report.results = WipeFilesBelow(platform_, *folder_, files_, passes, options);
  return report;
}

std::vector<WipeResult> WipeChoice::preview(const BatchOptions& options) {
  std::vector<WipeResult> results;
  if (!folder_) return results;
  platform::OverwriteOptions opening;
  opening.ownedByUserOnly = options.ownedByUserOnly;
  std::unique_ptr<platform::OverwriteSession> session = folder_->beginOverwrite(opening);
  for (const std::string& relative : files_) {
    WipeResult result;
    result.path = platform::pathBelow(path_, relative);
    platform::OverwriteOpen opened = session->open(relative);
    if (!opened.target) {
      detail::describeSkip(platform_, opened, result);
    } else {
      opened.target->close();
      switch (opened.kind) {
        case platform::OverwriteKind::SymbolicLink:
          result.outcome = WipeOutcome::LinkRemoved;
          break;
        case platform::OverwriteKind::HardLinked:
          result.outcome = WipeOutcome::Deleted;
          break;
        case platform::OverwriteKind::OldCopiesKept:
          result.outcome = WipeOutcome::OldCopiesKept;
          result.fileSystem = opened.fileSystem;
          break;
        case platform::OverwriteKind::InMemory:
          result.outcome = WipeOutcome::InMemory;
          result.fileSystem = opened.fileSystem;
          break;
        default:
          result.outcome = WipeOutcome::Wiped;
          break;
      }
    }
    results.push_back(std::move(result));
  }
  return results;
}

}  // namespace erasure
