// What a page of a window needs of the window that hosts it: the window
// itself (its mouse pointer, the owner of dialogs) and its status bar.
#pragma once

#include "forms/controls.h"
#include "forms/form.h"

namespace forms {

struct PageHost {
  Form& form;
  StatusBar& sbar;
};

}  // namespace forms
