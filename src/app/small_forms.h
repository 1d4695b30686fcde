// The splash, the hidden tray window and the progress window of the exit run.
#pragma once

#include <functional>

#include "forms/controls.h"
#include "forms/form.h"

namespace app {

class Modmain;

class frmSplash : public forms::Form {
 public:
  explicit frmSplash(Modmain& app) : Form("frmSplash"), app_(app) {}

  forms::PictureBox Picture1{"Picture1"};
  forms::Label lblAction{"lblAction"};
  forms::Label lblgeneral{"lblgeneral"};
  forms::Label lblversion{"lblversion"};

  void Form_Load() override;
  // Runs the start-up sequence, once, on the first activation.
  void Form_Activate() override;

 private:
  Modmain& app_;
  bool started_ = false;
};

class frmtray : public forms::Form {
 public:
  explicit frmtray(Modmain& app);

  forms::MenuItem mnublank{"mnublank"};
  forms::MenuItem mnushow{"mnushow", "Show Tracesweep"};
  forms::MenuItem mnuabout{"mnuabout", "About"};
  forms::MenuItem mnuexit{"mnuexit", "Exit"};

  void Form_Load() override;
  void mnushow_Click();
  void mnuabout_Click();
  void mnuexit_Click();

 private:
  Modmain& app_;
};

class frmCleanUp : public forms::Form {
 public:
  frmCleanUp() : Form("frmCleanUp", "Working...") {}
  forms::Label lblAction{"lblAction"};
};

}  // namespace app
