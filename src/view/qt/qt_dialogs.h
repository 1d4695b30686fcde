// The file-open dialog and the folder picker on Qt.
#pragma once

#include <QString>

#include "forms/dialogs.h"

namespace view_qt {

class QtWindowManager;

class QtDialogs : public forms::DialogService {
 public:
  explicit QtDialogs(QtWindowManager& windows) : windows_(windows) {}
  std::string openFile(const std::string& filter, forms::Form* owner) override;
  std::string browseForFolder(const std::string& initialFolder, const std::string& prompt,
                              forms::Form* owner) override;

 private:
  QtWindowManager& windows_;
};

// "All Files (*.*)|*.*|Text (*.txt)|*.txt" -> "All Files (*);;Text (*.txt)".
QString toQtFilter(const std::string& filter);
// "&Select folder to wipe" -> "Select folder to wipe" ("&&" stays one "&").
QString withoutMnemonics(const std::string& text);

}  // namespace view_qt
