#include "view/win32/win32_view.h"

#include "app/modmain.h"
#include "view/win32/dpi.h"

namespace view_win32 {
namespace {

HINSTANCE prepareProcess(HINSTANCE instance) {
  enableDpiAwareness();
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES |
                   ICC_PROGRESS_CLASS | ICC_LINK_CLASS;
  InitCommonControlsEx(&controls);
  return instance;
}

}  // namespace

Win32View::Win32View(HINSTANCE instance)
    : windows(prepareProcess(instance)), tray(instance, windows.programIcon(false)) {
  // The folder picker is a shell object: it needs COM on this thread.
  comInitialised_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

Win32View::~Win32View() {
  if (comInitialised_) CoUninitialize();
}

int Win32View::run(forms::Platform& platform, const core::Stores& stores,
                   platform::RunLog* runLog) {
  int result = 0;
  {
    app::Modmain app(platform, stores);
    app.setRunLog(runLog);
    app.Main();
    // Main may already have ended the program (a second copy).
    if (!windows.ended()) result = windows.run();
    // The windows go before the models they mirror.
    windows.unloadAll();
  }
  return result;
}

}  // namespace view_win32
