// The standard file-open dialog (GetOpenFileNameA) and the folder picker
// (SHBrowseForFolderA, which preselects the initial folder from its callback).
#pragma once

#include "forms/dialogs.h"

namespace view_win32 {

class Win32WindowManager;

class Win32Dialogs : public forms::DialogService {
 public:
  explicit Win32Dialogs(Win32WindowManager& windows) : windows_(windows) {}
  std::string openFile(const std::string& filter, forms::Form* owner) override;
  std::string browseForFolder(const std::string& initialFolder, const std::string& prompt,
                              forms::Form* owner) override;

 private:
  Win32WindowManager& windows_;
};

// "Description|pattern|..." as the dialog wants it: NUL-separated, ending in
// two NULs.
std::string toDialogFilter(const std::string& filter);

}  // namespace view_win32
