// The notification-area icon and what its mouse messages do.
#pragma once

#include <string>

#include "forms/tray.h"
#include "forms/window_manager.h"

namespace app {

class frmtray;

// Adds the icon once, with the tip; its messages go to HandleTrayMessage.
void AddTrayIcon(forms::TrayService& tray, forms::WindowManager& windows, frmtray& owner,
                 const std::string& tip);

// 0x201 and 0x205 pop up the tray menu, 0x203 shows the main window; any
// other message does nothing.
void HandleTrayMessage(forms::WindowManager& windows, frmtray& owner, int message);

}  // namespace app
