// The standard file-open dialog and the folder picker.
#pragma once

#include <string>

#include "forms/form.h"

namespace forms {

class DialogService {
 public:
  virtual ~DialogService() = default;
  // filter in the "Description|pattern|..." form, e.g. "All Files (*.*)|*.*".
  // Returns the chosen full path, or "" when cancelled.
  virtual std::string openFile(const std::string& filter, Form* owner) = 0;
  // Offers only file-system folders, preselects initialFolder, and returns
  // the chosen folder or "" when cancelled.
  virtual std::string browseForFolder(const std::string& initialFolder, const std::string& prompt,
                                      Form* owner) = 0;
};

}  // namespace forms
