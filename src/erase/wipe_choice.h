// A folder chosen for destruction, from the wipe page, the temporary
// folder's clearing or the command line: resolved once against the working
// folder, opened, judged by the one folder-safety rule on what was opened,
// listed and wiped through what was opened, and nothing else.
//
//   WipeChoice choice(platform, typed);
//   if (!choice.opened()) ... choice.problem();
//   if (!choice.list(&fileList)) ... choice.problem();
//   if (choice.protection() != None) ... ask, naming choice.path(),
//       choice.protectionWords() and choice.files().size();
//   WipeReport report = choice.wipe(passes, options);  // nothing when it moved
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "erase/file_list.h"
#include "erase/secure_wipe.h"
#include "platform/clear_outcome.h"
#include "platform/system.h"

namespace erasure {

struct WipeCounts {
  std::int64_t listed = 0;
  std::int64_t wiped = 0;        // overwritten, then removed
  std::int64_t removedOnly = 0;  // removed without overwriting (links, other names,
                                 // file systems that keep old copies or live in memory)
  std::int64_t notWiped = 0;     // not removed (left as they were, or overwritten but
                                 // their names stayed), or gone before they could be wiped
  std::int64_t bytesWiped = 0;   // the lengths of the files wiped
};

struct WipeReport {
  // True when the folder was moved, renamed or replaced after it was chosen:
  // then nothing was wiped.
  bool folderChanged = false;
  std::vector<WipeResult> results;  // one per listed file, in listing order

  WipeCounts counts() const;
  // "<n>File(s) wiped", then the files removed without overwriting and those
  // that could not be wiped, each group with its count and reasons.
  std::string summary() const;
  // What the clearing report reads: removed = every name removed; a failure
  // for every file left.
  platform::ClearOutcome outcome() const;
};

class WipeChoice {
 public:
  // Makes typed absolute against the working folder and opens it, once.
  WipeChoice(platform::System& platform, const std::string& typed);
  ~WipeChoice();
  WipeChoice(WipeChoice&&) noexcept;

  bool opened() const { return folder_ != nullptr; }
  // Why nothing can be wiped, in plain words ending in "nothing was wiped."
  // ("… is a link to …; nothing was wiped."), or "" while all is well.
  const std::string& problem() const { return problem_; }
  // Nothing of the typed name exists (the wipe page reports 0 files then).
  bool missing() const { return state_ == platform::ChosenFolderState::Missing; }
  // The folder's absolute path when it was opened, links resolved (else the
  // path that was looked at).
  const std::string& path() const { return path_; }
  platform::FolderProtection protection() const;
  // "your home folder", "a folder of the system" ... ("" for None).
  std::string protectionWords() const;

  // Lists every file below the folder, through it; also into fileList (full
  // paths; reset first) when given. False, with problem(), when the listing
  // could not be completed (what was listed stays listed).
  bool list(FileList* fileList = nullptr);
  // The listed files, relative to the folder.
  const std::vector<std::string>& files() const { return files_; }
  // Takes out of the listing, so out of wipe and preview, every listed file
  // for which leave(relative) is true (what a caller must keep).
  void leaveOut(const std::function<bool(const std::string& relative)>& leave);

  // Wipes the listed files, each reached through the folder that was opened.
  // Nothing at all when the folder changed meanwhile (folderChanged).
  WipeReport wipe(int passes, const BatchOptions& options = {});
  // What wipe would do to each listed file, judged by the same opening of
  // each through the folder, with nothing written and nothing removed.
  std::vector<WipeResult> preview(const BatchOptions& options = {});

 private:
  platform::System& platform_;
  platform::ChosenFolderState state_ = platform::ChosenFolderState::Failed;
  std::unique_ptr<platform::ChosenFolder> folder_;
  std::string path_;
  std::string problem_;
  std::vector<std::string> files_;
};

// The words for a protection: "the root of the file system", "your home
// folder" ...
std::string ProtectionWords(platform::FolderProtection protection);

}  // namespace erasure
