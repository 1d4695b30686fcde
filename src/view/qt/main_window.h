// The main window's widget: the banner, the tab control with its six pages,
// "&Help" and "&Ok", and the status bar.
#pragma once

#include "view/qt/form_window.h"

class QTabWidget;

namespace app {
class frmmain;
}

namespace view_qt {

class MainWindow : public FormWindow {
  Q_OBJECT
 public:
  explicit MainWindow(app::frmmain& main);
  // Lays out the pages not shown yet, so that the list widths the activation
  // handler reads are the ones the user will see.
  void prepareActivation() override;

 private:
  QTabWidget* tabs_;
};

}  // namespace view_qt
