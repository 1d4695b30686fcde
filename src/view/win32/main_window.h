// The main window: the banner, the tab control with its six pages, "&Help"
// and "&Ok", and the status bar.
#pragma once

#include <vector>

#include "view/win32/form_window.h"
#include "view/win32/main_pages.h"

namespace app {
class frmmain;
}

namespace view_win32 {

class ButtonBinding;
class StatusBarBinding;
class TabBinding;

class MainWindow : public FormWindow {
 public:
  MainWindow(Win32WindowManager& manager, app::frmmain& main);
  ~MainWindow() override;

  // Lays out with the texts the window was loaded with.
  void prepareActivation() override;
  bool preTranslate(const MSG& message) override;
  bool keyboardNavigation() const override { return true; }

 protected:
  LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void layout() override;
  void fontsChanged() override;

 private:
  void showPage(int index);
  // The first control of the page shown.
  void focusPage();
  void makeFonts();

  HWND banner_ = nullptr;
  TabBinding* tabs_ = nullptr;
  ButtonBinding* help_ = nullptr;
  ButtonBinding* ok_ = nullptr;
  StatusBarBinding* sbar_ = nullptr;
  std::vector<HWND> pages_;
  std::vector<PageLayout> layouts_;
  AboutFonts aboutFonts_;
  int shownPage_ = -1;
};

}  // namespace view_win32
