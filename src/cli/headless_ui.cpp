#include "cli/headless_ui.h"

#include <ostream>

namespace cli {

int StderrMessageBox::show(const std::string& text, int style, const std::string&) {
  err_ << "tracesweep: " << text << "\n";
  // The low bits of the style are the buttons.
  switch (style & 7) {
    case forms::vbOKCancel:
      return forms::vbCancel;
    case forms::vbYesNo:
      return forms::vbNo;
    default:
      return forms::vbOK;
  }
}

}  // namespace cli
