// The tracesweep program on Windows: with arguments, the command line in the
// console it was started from; without, builds the Win32 view and the
// Windows platform services, runs the entry point and the message loop.
// The view's Windows headers first: they remove the system's macros that
// would clash with the program's names.
#include "view/win32/win32_view.h"
// Then the platform.
#include <cstdlib>
#include <iostream>

#include "browsers/stores/browser_stores.h"
#include "cli/cli.h"
#include "forms/platform.h"
#include "platform/windows/parent_console.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
  // The C runtime's arguments, in the code page of the ANSI calls (UTF-8 by
  // the program's manifest).
  if (cli::wantsCommandLine(__argc)) {
    platform::windows_os::useParentConsole();
    const int status = cli::runCommandLine(__argc, __argv);
    std::cout.flush();
    std::cerr.flush();
    return status;
  }
  view_win32::Win32View view(instance);
  const auto system = platform::openSystemServices();
  forms::Platform services =
      forms::withView(system->system(), view.msgbox, view.dialogs, view.windows, view.tray);
  browsers::BrowserStores browsers(services.files);
  return view.run(services, browsers.stores(), system->runLog());
}
