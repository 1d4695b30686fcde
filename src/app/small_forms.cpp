#include "app/small_forms.h"

#include "app/frmmain.h"
#include "app/mod_sys_tray.h"
#include "app/modmain.h"
#include "identity.h"

namespace app {

void frmSplash::Form_Load() {
  lblversion.setCaption("Version " + std::to_string(identity::kMajor) + "." +
                        std::to_string(identity::kMinor));
  lblgeneral.setCaption("Norrick Software Ltd");
}

void frmSplash::Form_Activate() {
  if (started_) return;
  started_ = true;
  app_.startupSequence(*this);
}

frmtray::frmtray(Modmain& app) : Form("frmtray"), app_(app) {
  mnushow.onClick = [this] { mnushow_Click(); };
  mnuabout.onClick = [this] { mnuabout_Click(); };
  mnuexit.onClick = [this] { mnuexit_Click(); };
}

void frmtray::Form_Load() {
  AddTrayIcon(app_.platform.tray, app_.platform.windows, *this, identity::kAppTitle);
}

void frmtray::mnushow_Click() {
  app_.showMainForm();
}

void frmtray::mnuabout_Click() {
  app_.showMainForm();
  if (frmmain* main = app_.mainForm()) main->SSTab1.setTab(kTabAbout);
}

void frmtray::mnuexit_Click() {
  app_.exitSequence();
}

}  // namespace app
