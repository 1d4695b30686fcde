// The "Secure Wipe" page of the main window.
#pragma once

#include <cstdint>
#include <string>

#include "erase/file_list.h"
#include "erase/wipe_choice.h"
#include "forms/page_host.h"
#include "forms/platform.h"

namespace erasure {

class WipePage {
 public:
  WipePage(forms::Platform& platform, forms::PageHost host, FileList& fileList);

  forms::Frame Frame6{"Frame6", "Secure Erasing"};
  forms::CheckBox chkSecureForAll{"chkSecureForAll", "Secure Wipe all other areas"};
  forms::Frame Framefolder{"Framefolder", "Wipe Folder"};
  forms::Label lblFolder{"lblFolder", "Folder"};
  forms::TextBox txtFolderToWipe{"txtFolderToWipe"};
  forms::CommandButton cmdBrowseForFolder{"cmdBrowseForFolder", "Browse..."};
  forms::Frame Framefile{"Framefile", "Wipe File"};
  forms::Label lblFile{"lblFile", "File"};
  forms::TextBox txtFileToWipe{"txtFileToWipe"};
  forms::CommandButton cmdBrowseForFile{"cmdBrowseForFile", "Browse..."};
  forms::Frame Frame9{"Frame9", "Shredding Level"};
  forms::OptionButton optQuick{"optQuick", "Quick( 3 passes)"};
  forms::OptionButton optDOD{"optDOD", "US DOD (7passes)"};
  forms::CommandButton cmdWipe{"cmdWipe", "&Wipe"};

  void cmdWipe_Click();
  void wipeOut();
  void cmdBrowseForFile_Click();
  void cmdBrowseForFolder_Click();

 private:
  void wipeSingleFile(const std::string& path, int passes);
  void wipeFolder(const std::string& folder, int passes);
  // Asks again, Cancel by default, before destroying a folder that the
  // folder-safety rule protects.
  bool confirmProtected(const WipeChoice& choice);

  forms::Platform& platform_;
  forms::PageHost host_;
  FileList& fileList_;
};

}  // namespace erasure
