// Modal message boxes with the style values and answers the program uses.
#pragma once

#include <string>

namespace forms {

inline constexpr int vbOKOnly = 0;
inline constexpr int vbOKCancel = 1;
inline constexpr int vbYesNo = 4;
inline constexpr int vbQuestion = 32;
inline constexpr int vbExclamation = 48;
inline constexpr int vbInformation = 64;
// The second button (Cancel, No) is the default: Enter does not confirm.
inline constexpr int vbDefaultButton2 = 256;

inline constexpr int vbOK = 1;
inline constexpr int vbCancel = 2;
inline constexpr int vbYes = 6;
inline constexpr int vbNo = 7;

class MessageBoxService {
 public:
  virtual ~MessageBoxService() = default;
  // Shows the box modally and returns the button pressed. Escape or the close
  // box answer Cancel (No for Yes/No boxes, OK for OK-only boxes).
  virtual int show(const std::string& text, int style, const std::string& caption) = 0;
};

}  // namespace forms
