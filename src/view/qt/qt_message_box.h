// Modal message boxes on Qt with the program's style values and answers.
#pragma once

#include "forms/message_box.h"

namespace view_qt {

class QtMessageBox : public forms::MessageBoxService {
 public:
  // Escape and the close box answer Cancel, or No when there is no Cancel,
  // or OK in an OK-only box.
  int show(const std::string& text, int style, const std::string& caption) override;
};

}  // namespace view_qt
