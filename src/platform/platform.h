// The bundle of services the windows work with: the system's (system.h) and
// the view's (message boxes, dialogs, windows, tray). Built once by main (or
// by a test) and handed to whoever needs it. Nothing above this layer
// reaches the system any other way.
#pragma once

#include "forms/dialogs.h"
#include "forms/message_box.h"
#include "forms/tray.h"
#include "forms/window_manager.h"
#include "platform/system.h"

namespace platform {

struct Platform : System {
  forms::MessageBoxService& msgbox;
  forms::DialogService& dialogs;
  forms::WindowManager& windows;
  forms::TrayService& tray;
};

inline Platform withView(const System& system, forms::MessageBoxService& msgbox,
                         forms::DialogService& dialogs, forms::WindowManager& windows,
                         forms::TrayService& tray) {
  return Platform{system, msgbox, dialogs, windows, tray};
}

}  // namespace platform
