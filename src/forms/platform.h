// The bundle of services the windows work with: the system's (platform/
// system.h) and the view's (message boxes, dialogs, windows, tray). Built
// once by main (or by a test) and handed to the windows and their pages.
// The layers under the windows take platform::System alone.
#pragma once

#include "forms/dialogs.h"
#include "forms/message_box.h"
#include "forms/tray.h"
#include "forms/window_manager.h"
#include "platform/system.h"

namespace forms {

struct Platform : platform::System {
  MessageBoxService& msgbox;
  DialogService& dialogs;
  WindowManager& windows;
  TrayService& tray;
};

inline Platform withView(const platform::System& system, MessageBoxService& msgbox,
                         DialogService& dialogs, WindowManager& windows, TrayService& tray) {
  return Platform{system, msgbox, dialogs, windows, tray};
}

}  // namespace forms
