#include "erase/wipe_page.h"

#include <map>
#include <vector>

#include "erase/enum_files.h"
#include "erase/secure_wipe.h"
#include "erase/system_folders.h"
#include "forms/message_box.h"
#include "identity.h"

namespace erasure {

namespace {

constexpr const char* kWarning =
    "Warning! this will wipe the specified files and delete them. Once this is done they "
    "cannot be recovered";

std::string fileNameOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "2 file(s) could not be wiped: 1 in use by another program, 1 ..."
std::string notWipedSummary(const std::vector<WipeResult>& results) {
  std::map<WipeOutcome, std::int64_t> counts;
  std::int64_t total = 0;
  for (const WipeResult& result : results)
    if (!result.destroyed()) ++counts[result.outcome], ++total;
  if (total == 0) return {};
  static const std::map<WipeOutcome, const char*> kWords = {
      {WipeOutcome::Deleted, "deleted without being overwritten (other hard links)"},
      {WipeOutcome::LinkRemoved, "links removed, what they point to left untouched"},
      {WipeOutcome::InUse, "in use by another program"},
      {WipeOutcome::NotRegular, "not regular files (pipes, sockets, devices)"},
      {WipeOutcome::NotOwned, "belonging to another user"},
      {WipeOutcome::Missing, "gone before they could be wiped"},
      {WipeOutcome::Failed, "could not be overwritten or deleted (access denied or a disk error)"},
  };
  std::string text = std::to_string(total) + " file(s) could not be wiped:";
  for (const auto& [outcome, count] : counts)
    text += "\n" + std::to_string(count) + " " + kWords.at(outcome);
  return text;
}

}  // namespace

WipePage::WipePage(platform::Platform& platform, forms::PageHost host, FileList& fileList)
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
  if (!FileExists(platform_, path)) return;
  WipeResult result;
  {
    forms::HourglassGuard hourglass(host_.form);
    result = WipeFile(platform_, path, passes);
  }
  if (result.destroyed()) {
    platform_.msgbox.show(fileNameOf(path) + " wiped", forms::vbInformation, identity::kAppTitle);
  } else {
    platform_.msgbox.show(fileNameOf(path) + " could not be wiped: " + result.reason + ".",
                          forms::vbExclamation, identity::kAppTitle);
  }
}

bool WipePage::listFolder(const std::string& folder) {
  forms::HourglassGuard hourglass(host_.form);
  fileList_.reset();
  try {
    EnumFiles(platform_, fileList_, folder);
  } catch (const EnumError& error) {
    fileList_.reset();
    platform_.msgbox.show(std::string(error.what()) + ". Nothing was wiped.", forms::vbExclamation,
                          identity::kAppTitle);
    return false;
  }
  return true;
}

bool WipePage::confirmSystemFolder(const std::string& folder, std::int64_t count) {
  if (!IsWholeSystemFolder(folder, platform_.files.homeFolder())) return true;
  std::string text = folder + " is a whole system folder or holds your home folder. " +
                     std::to_string(count) +
                     " file(s) in it and in every folder below it would be destroyed. Are you "
                     "sure?";
  return platform_.msgbox.show(text, forms::vbOKCancel | forms::vbExclamation,
                               identity::kAppTitle) == forms::vbOK;
}

void WipePage::wipeFolder(const std::string& folder, int passes) {
  if (!listFolder(folder)) return;
  const std::int64_t n = fileList_.lastIndex();
  if (!confirmSystemFolder(folder, n)) return;

  std::vector<WipeResult> results;
  {
    forms::HourglassGuard hourglass(host_.form);
    std::vector<std::string> paths(fileList_.entries.begin() + 1, fileList_.entries.end());
    BatchOptions options;
    options.root = folder;
    options.progress = [&](std::int64_t done, std::int64_t total, const std::string& path) {
      // The previous file is done: its line is cleared before the next is shown.
      if (done > 0) host_.sbar.setPanelText(1, "");
      host_.sbar.setPanelText(1, "Currently wiping" + path);
      host_.sbar.setProgress(done + 1, total);
      host_.sbar.Refresh();
    };
    try {
      results = WipeFiles(platform_, paths, passes, options);
    } catch (...) {
      host_.sbar.setPanelText(1, "");
      host_.sbar.setProgress(0, 0);
      throw;
    }
    host_.sbar.setPanelText(1, "");
    host_.sbar.setProgress(0, 0);
  }

  std::int64_t wiped = 0;
  for (const WipeResult& result : results) wiped += result.destroyed() ? 1 : 0;
  std::string text = std::to_string(wiped) + "File(s) wiped";
  if (std::string summary = notWipedSummary(results); !summary.empty()) text += "\n\n" + summary;
  platform_.msgbox.show(text, forms::vbInformation, identity::kAppTitle);
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
