#include "view/win32/small_windows.h"

#include <string>

#include "app/small_forms.h"
#include "view/win32/pictures.h"
#include "view/win32/simple_bindings.h"
#include "view/win32/win32_window_manager.h"

namespace view_win32 {

// A label drawn by the splash over its artwork. It keeps the last text, so
// the splash can still paint it after the form has gone.
class SplashWindow::OverlayLabel : public Binding {
 public:
  OverlayLabel(FormWindow& owner, forms::Label& label, RECT design, UINT format, bool small)
      : Binding(owner, label, owner.hwnd()), design_(design), format_(format), small_(small) {
    sync();
  }

  void paint(HDC dc, HFONT normal, HFONT small) const {
    RECT where{owner().px(design_.left), owner().px(design_.top), owner().px(design_.right),
               owner().px(design_.bottom)};
    HGDIOBJ old = SelectObject(dc, small_ ? small : normal);
    DrawTextA(dc, text_.c_str(), static_cast<int>(text_.size()), &where,
              format_ | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, old);
  }

 protected:
  void pull() override {
    std::string text = control().Caption();
    if (text == text_) return;
    text_ = std::move(text);
    RECT where{owner().px(design_.left), owner().px(design_.top), owner().px(design_.right),
               owner().px(design_.bottom)};
    InvalidateRect(window(), &where, FALSE);
  }
  void repaintNow() override {
    sync();
    UpdateWindow(window());
    showPainted();
  }

 private:
  FormWindow& owner() const { return const_cast<OverlayLabel*>(this)->Binding::owner(); }

  RECT design_;  // left, top, right, bottom at 96 DPI
  UINT format_;
  bool small_;
  std::string text_;
};

SplashWindow::SplashWindow(Win32WindowManager& manager, app::frmSplash& s)
    : FormWindow(manager, s) {
  createWindow("TracesweepSplash", WS_POPUP, WS_EX_TOOLWINDOW, 490, 280);
  smallFont_ = createMessageFont(dpi(), 0.85);
  bind<PlainBinding>(s.Picture1, hwnd());
  version_ = &bind<OverlayLabel>(s.lblversion, RECT{196, 150, 466, 172}, DT_LEFT, false);
  action_ = &bind<OverlayLabel>(s.lblAction, RECT{24, 226, 466, 248}, DT_LEFT, false);
  general_ = &bind<OverlayLabel>(s.lblgeneral, RECT{24, 250, 466, 270}, DT_RIGHT, true);
}

SplashWindow::~SplashWindow() {
  if (smallFont_) DeleteObject(smallFont_);
}

void SplashWindow::fontsChanged() {
  if (smallFont_) DeleteObject(smallFont_);
  smallFont_ = createMessageFont(dpi(), 0.85);
}

LRESULT SplashWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return TRUE;  // the artwork covers it all
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd(), &ps);
      paint(dc);
      EndPaint(hwnd(), &ps);
      return 0;
    }
    case WM_CLOSE:
      return 0;  // the splash goes when the start-up is done
    default:
      return FormWindow::onMessage(message, wParam, lParam);
  }
}

void SplashWindow::paint(HDC dc) {
  RECT client{};
  GetClientRect(hwnd(), &client);
  // Into a bitmap first, so the text never flickers over the artwork.
  HDC buffer = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
  HGDIOBJ old = SelectObject(buffer, bitmap);
  FillRect(buffer, &client, GetSysColorBrush(COLOR_WINDOW));
  RECT art = client;
  // Stretched to the whole window: the artwork has the window's proportions.
  drawArtwork(manager().instance(), Artwork::Splash, buffer, art, dpi());
  SetBkMode(buffer, TRANSPARENT);
  SetTextColor(buffer, RGB(0xe8, 0xf2, 0xfb));
  for (const OverlayLabel* label : {version_, action_, general_})
    label->paint(buffer, font(), smallFont_);
  BitBlt(dc, 0, 0, client.right, client.bottom, buffer, 0, 0, SRCCOPY);
  SelectObject(buffer, old);
  DeleteObject(bitmap);
  DeleteDC(buffer);
}

CleanUpWindow::CleanUpWindow(Win32WindowManager& manager, app::frmCleanUp& c)
    : FormWindow(manager, c) {
  createWindow("TracesweepWorking", WS_POPUP | WS_CAPTION, WS_EX_DLGMODALFRAME, 330, 50);
  label_ = bind<LabelBinding>(c.lblAction, hwnd(), SS_CENTER | SS_CENTERIMAGE).window();
  relayout();
}

void CleanUpWindow::layout() {
  if (!label_) return;
  RECT client{};
  GetClientRect(hwnd(), &client);
  MoveWindow(label_, px(8), 0, client.right - px(16), client.bottom, TRUE);
}

}  // namespace view_win32
