// The tracesweep program on Windows: builds the Win32 view and the Windows
// platform services, runs the entry point and the message loop.
// The view's Windows headers first: they remove the system's macros that
// would clash with the program's names.
#include "view/win32/win32_view.h"
// Then the platform.
#include "platform/platform.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
  view_win32::Win32View view(instance);
  const auto system = platform::openSystemServices();
  platform::Platform services =
      platform::withView(system->system(), view.msgbox, view.dialogs, view.windows, view.tray);
  return view.run(services);
}
