// Message boxes through MessageBoxA: the program's style values are the
// system's own (buttons, icon, default button), as are the answers.
#pragma once

#include "forms/message_box.h"

namespace view_win32 {

class Win32WindowManager;

class Win32MessageBox : public forms::MessageBoxService {
 public:
  explicit Win32MessageBox(Win32WindowManager& windows) : windows_(windows) {}
  int show(const std::string& text, int style, const std::string& caption) override;

 private:
  Win32WindowManager& windows_;
};

}  // namespace view_win32
