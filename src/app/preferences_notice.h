// The one box at start that tells the user the stored preferences were
// damaged: what was wrong, where the damaged copy was kept, and which
// settings were kept (the rest are back to their defaults).
#pragma once

#include <string>

#include "forms/platform.h"

namespace app {

class frmmain;

// The box's text; "" when the store was sound. `main` holds the loaded preferences.
std::string preferencesRepairText(forms::Platform& platform, frmmain& main);

// Shows the box when there is something to tell.
void tellPreferencesRepair(forms::Platform& platform, frmmain& main);

}  // namespace app
