#include "view/win32/main_window.h"

#include "app/frmmain.h"
#include "view/win32/pictures.h"
#include "view/win32/simple_bindings.h"
#include "view/win32/status_bar_binding.h"
#include "view/win32/win32_window_manager.h"

namespace view_win32 {
namespace {

constexpr int kBannerHeight = 64;
constexpr int kWidth = 660, kHeight = 500;
constexpr int kMinWidth = 600, kMinHeight = 460;
constexpr UINT_PTR kClockTimer = 2;

}  // namespace

MainWindow::MainWindow(Win32WindowManager& manager, app::frmmain& f) : FormWindow(manager, f) {
  createWindow("TracesweepMain", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, kWidth,
               kHeight);
  makeFonts();
  banner_ = createPictureWindow(manager.instance(), hwnd(), Artwork::Banner);
  bind<PlainBinding>(f.Picture1, banner_);

  tabs_ = &bind<TabBinding>(
      f.SSTab1, hwnd(), [&f] { f.SSTab1_Click(); }, [this](int index) { showPage(index); });
  for (int i = 0; i < 6; ++i) pages_.push_back(createPage(tabs_->window()));
  layouts_.push_back(buildGeneralPage(*this, pages_[0], f));
  layouts_.push_back(buildCookiesPage(*this, pages_[1], f.cookies));
  layouts_.push_back(buildCachePage(*this, pages_[2], f.cache));
  layouts_.push_back(buildHistoryPage(*this, pages_[3], f.history));
  layouts_.push_back(buildWipePage(*this, pages_[4], f.wipe, f.freeSpace));
  layouts_.push_back(buildAboutPage(*this, pages_[5], f, aboutFonts_));

  help_ = &bind<ButtonBinding>(f.cmdhelp, hwnd(), [&f] { f.cmdhelp_Click(); });
  ok_ = &bind<ButtonBinding>(f.cmdok, hwnd(), [&f] { f.cmdok_Click(); });
  sbar_ = &bind<StatusBarBinding>(f.sbar, hwnd());
  showPage(f.SSTab1.Tab());
  SetTimer(hwnd(), kClockTimer, 1000, nullptr);
  relayout();
}

MainWindow::~MainWindow() {
  if (IsWindow(hwnd())) KillTimer(hwnd(), kClockTimer);
  if (aboutFonts_.title) DeleteObject(aboutFonts_.title);
  if (aboutFonts_.small) DeleteObject(aboutFonts_.small);
}

void MainWindow::makeFonts() {
  if (aboutFonts_.title) DeleteObject(aboutFonts_.title);
  if (aboutFonts_.small) DeleteObject(aboutFonts_.small);
  aboutFonts_.title = createMessageFont(dpi(), 1.4, true);
  aboutFonts_.small = createMessageFont(dpi(), 0.9);
}

void MainWindow::fontsChanged() {
  makeFonts();
}

void MainWindow::showPage(int index) {
  if (index == shownPage_ || index < 0 || index >= static_cast<int>(pages_.size())) return;
  // The focus leaves a page that is hidden.
  HWND focus = GetFocus();
  bool focusOnPage =
      shownPage_ >= 0 && focus && IsChild(pages_[static_cast<std::size_t>(shownPage_)], focus);
  for (std::size_t i = 0; i < pages_.size(); ++i)
    ShowWindow(pages_[i], static_cast<int>(i) == index ? SW_SHOWNA : SW_HIDE);
  shownPage_ = index;
  if (focusOnPage) focusPage();
}

void MainWindow::focusPage() {
  HWND page = pages_[static_cast<std::size_t>(shownPage_)];
  HWND first = GetNextDlgTabItem(page, nullptr, FALSE);
  SetFocus(first && IsChild(page, first) ? first : tabs_->window());
}

void MainWindow::prepareActivation() {
  relayout();
}

bool MainWindow::preTranslate(const MSG& message) {
  if (message.message != WM_KEYDOWN) return false;
  bool shift = GetKeyState(VK_SHIFT) & 0x8000;
  if (!(GetKeyState(VK_CONTROL) & 0x8000)) {
    // From the tabs, Tab goes into the page they show.
    if (message.wParam == VK_TAB && !shift && message.hwnd == tabs_->window() && shownPage_ >= 0) {
      focusPage();
      return true;
    }
    return false;
  }
  switch (message.wParam) {
    case VK_TAB:
      tabs_->step(shift ? -1 : 1);
      return true;
    case VK_NEXT:
      tabs_->step(1);
      return true;
    case VK_PRIOR:
      tabs_->step(-1);
      return true;
    default:
      return false;
  }
}

void MainWindow::layout() {
  if (!sbar_) return;  // still being built
  RECT client{};
  GetClientRect(hwnd(), &client);
  int width = client.right, height = client.bottom;
  int banner = px(kBannerHeight);
  MoveWindow(banner_, 0, 0, width, banner, TRUE);

  int statusHeight = sbar_->layOut();
  int margin = px(10);
  int buttonHeight = px(25);
  int buttonsTop = height - statusHeight - px(6) - buttonHeight;
  int right = width - margin;
  for (ButtonBinding* button : {ok_, help_}) {
    int buttonWidth = button->preferredWidth();
    right -= buttonWidth;
    MoveWindow(button->window(), right, buttonsTop, buttonWidth, buttonHeight, TRUE);
    right -= px(6);
  }

  RECT tab{margin, banner + margin, width - margin, buttonsTop - px(6)};
  MoveWindow(tabs_->window(), tab.left, tab.top, tab.right - tab.left, tab.bottom - tab.top, TRUE);
  RECT inside{0, 0, tab.right - tab.left, tab.bottom - tab.top};
  SendMessageA(tabs_->window(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&inside));
  int pageWidth = inside.right - inside.left, pageHeight = inside.bottom - inside.top;
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    SetWindowPos(pages_[i], nullptr, inside.left, inside.top, pageWidth, pageHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    layouts_[i](pageWidth, pageHeight);
  }
}

LRESULT MainWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETMINMAXINFO: {
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      RECT frame{0, 0, px(kMinWidth), px(kMinHeight)};
      AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(hwnd(), GWL_STYLE)), FALSE,
                         static_cast<DWORD>(GetWindowLongPtrA(hwnd(), GWL_EXSTYLE)));
      limits->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
      return 0;
    }
    case WM_TIMER:
      if (wParam == kClockTimer) {
        if (sbar_) sbar_->tick();
        return 0;
      }
      break;
    default:
      break;
  }
  return FormWindow::onMessage(message, wParam, lParam);
}

}  // namespace view_win32
