#include "app/mod_sys_tray.h"

#include "app/small_forms.h"

namespace app {

void AddTrayIcon(forms::TrayService& tray, forms::WindowManager& windows, frmtray& owner,
                 const std::string& tip) {
  tray.addIcon(tip,
               [&windows, &owner](int message) { HandleTrayMessage(windows, owner, message); });
}

void HandleTrayMessage(forms::WindowManager& windows, frmtray& owner, int message) {
  if (message == forms::WM_LBUTTONDOWN) {
    windows.popupMenu({&owner.mnushow, &owner.mnuabout, &owner.mnuexit});
  } else if (message == forms::WM_LBUTTONDBLCLK) {
    owner.mnushow_Click();
  } else if (message == forms::WM_RBUTTONUP) {
    windows.popupMenu({&owner.mnushow, &owner.mnuabout, &owner.mnuexit});
  }
}

}  // namespace app
