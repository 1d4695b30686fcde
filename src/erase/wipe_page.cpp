#include "erase/wipe_page.h"

#include "erase/secure_wipe.h"
#include "erase/wipe_choice.h"
#include "forms/message_box.h"
#include "identity.h"
#include "platform/paths.h"

namespace erasure {

namespace {

constexpr const char* kWarning =
    "Warning! this will wipe the specified files and delete them. Once this is done they "
    "cannot be recovered";

// True when the file exists and has content; a failure other than "not
// found" is told in a box.
bool fileExists(forms::Platform& platform, const std::string& path) {
  const FileCheck check = CheckFile(platform, path);
  if (!check.problem.empty())
    platform.msgbox.show(check.problem, forms::vbOKOnly, identity::kAppTitle);
  return check.hasContent;
}

}  // namespace

WipePage::WipePage(forms::Platform& platform, forms::PageHost host, FileList& fileList)
    : platform_(platform), host_(host), fileList_(fileList) {}

void WipePage::cmdWipe_Click() {
  // OK and Cancel: a destructive action must be possible to refuse.
  int answer = platform_.msgbox.show(kWarning, forms::vbOKCancel | forms::vbExclamation,
                                     identity::kAppTitle);
  if (answer == forms::vbOK) wipeOut();
}

void WipePage::wipeOut() {
  const int passes = optQuick.Value() ? 3 : 7;
  if (!txtFileToWipe.Text().empty()) wipeSingleFile(txtFileToWipe.Text(), passes);
  if (!txtFolderToWipe.Text().empty()) wipeFolder(txtFolderToWipe.Text(), passes);
}

void WipePage::wipeSingleFile(const std::string& path, int passes) {
  if (!fileExists(platform_, path)) return;
  WipeResult result;
  {
    forms::HourglassGuard hourglass(host_.form);
    result = WipeFile(platform_, path, passes);
  }
  const std::string name = platform::fileNameOf(path);
  if (result.destroyed()) {
    platform_.msgbox.show(name + " wiped", forms::vbInformation, identity::kAppTitle);
  } else if (result.outcome == WipeOutcome::LinkRemoved) {
    // Removing the link is all that was asked of a link.
    platform_.msgbox.show(name +
                              " is a link: the link was removed, and the file it pointed to "
                              "was left untouched.",
                          forms::vbInformation, identity::kAppTitle);
  } else if (result.removed()) {
    platform_.msgbox.show(name + " was removed without overwriting: " + result.reason + ".",
                          forms::vbExclamation, identity::kAppTitle);
  } else {
    platform_.msgbox.show(name + " could not be wiped: " + result.reason + ".",
                          forms::vbExclamation, identity::kAppTitle);
  }
}

bool WipePage::confirmProtected(const WipeChoice& choice) {
  if (choice.protection() == platform::FolderProtection::None) return true;
  std::string text = choice.path() + " is " + choice.protectionWords() + ". " +
                     std::to_string(choice.files().size()) +
                     " file(s) in it and in every folder below it would be destroyed. Are you "
                     "sure?";
  // Enter and Escape both keep the files: only a deliberate OK destroys them.
  return platform_.msgbox.show(text,
                               forms::vbOKCancel | forms::vbExclamation | forms::vbDefaultButton2,
                               identity::kAppTitle) == forms::vbOK;
}

void WipePage::wipeFolder(const std::string& folder, int passes) {
  fileList_.reset();
  WipeChoice choice(platform_, folder);
  if (choice.missing()) {
    // Nothing there: nothing listed, nothing wiped.
    platform_.msgbox.show("0File(s) wiped", forms::vbInformation, identity::kAppTitle);
    return;
  }
  bool listed = false;
  if (choice.opened()) {
    forms::HourglassGuard hourglass(host_.form);
    listed = choice.list(&fileList_);
  }
  if (!listed) {
    fileList_.reset();
    platform_.msgbox.show(choice.problem(), forms::vbExclamation, identity::kAppTitle);
    return;
  }
  if (!confirmProtected(choice)) return;

  WipeReport report;
  {
    forms::HourglassGuard hourglass(host_.form);
    BatchOptions options;
    options.progress = [&](std::int64_t done, std::int64_t total, const std::string& path) {
      // The previous file is done: its line is cleared before the next is shown.
      if (!host_.sbar.PanelText(1).empty()) host_.sbar.setPanelText(1, "");
      if (!path.empty()) host_.sbar.setPanelText(1, "Currently wiping" + path);
      host_.sbar.setProgress(done, total);
      host_.sbar.Refresh();
    };
    try {
      report = choice.wipe(passes, options);
    } catch (...) {
      host_.sbar.setPanelText(1, "");
      host_.sbar.setProgress(0, 0);
      throw;
    }
    host_.sbar.setPanelText(1, "");
    host_.sbar.setProgress(0, 0);
  }
  if (report.folderChanged) {
    platform_.msgbox.show(choice.path() +
                              " was moved, renamed or replaced after it was chosen; nothing was "
                              "wiped.",
                          forms::vbExclamation, identity::kAppTitle);
    return;
  }
  platform_.msgbox.show(report.summary(), forms::vbInformation, identity::kAppTitle);
}

void WipePage::cmdBrowseForFile_Click() {
  std::string chosen = platform_.dialogs.openFile("All Files (*.*)|*.*", &host_.form);
  if (!chosen.empty()) txtFileToWipe.setText(chosen);
}

void WipePage::cmdBrowseForFolder_Click() {
  // The result replaces the box even when empty: cancelling empties it.
  txtFolderToWipe.setText(platform_.dialogs.browseForFolder(platform_.process.programFolder(),
                                                            "&Select folder to wipe", &host_.form));
}

}  // namespace erasure
