#include "view/win32/form_window.h"

#include "view/win32/win32_window_manager.h"

namespace view_win32 {
namespace {

constexpr UINT_PTR kActivationFallbackTimer = 1;
constexpr UINT kActivationFallbackMs = 300;

// The caption, Enabled, the mouse pointer (11 shows the busy cursor over the
// whole program until it is set back to 0) and "repaint now" of the window.
class FormBinding : public Binding {
 public:
  FormBinding(FormWindow& owner, forms::Form& form)
      : Binding(owner, form, owner.hwnd()), form_(form) {
    sync();
  }
  ~FormBinding() override { owner().manager().setBusy(form_, false); }

 protected:
  // The pointer must change before the work starts, not when it has ended.
  void modelChanged() override { sync(); }
  void pull() override {
    Binding::pull();
    SetWindowTextA(window(), form_.Caption().c_str());
    owner().manager().setBusy(form_, form_.MousePointer() == forms::vbHourglass);
  }

 private:
  forms::Form& form_;
};

void setFontOnChildren(HWND parent, HFONT font) {
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM param) -> BOOL {
        SendMessageA(child, WM_SETFONT, static_cast<WPARAM>(param), FALSE);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(font));
}

}  // namespace

FormWindow::FormWindow(Win32WindowManager& manager, forms::Form& form)
    : manager_(manager), form_(form) {}

FormWindow::~FormWindow() {
  detachAll();
  if (IsWindow(hwnd_)) {
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  if (font_) DeleteObject(font_);
}

void FormWindow::createWindow(const char* windowClass, DWORD style, DWORD exStyle, int width,
                              int height) {
  HINSTANCE instance = manager_.instance();
  WNDCLASSEXA known{};
  known.cbSize = sizeof(known);
  if (!GetClassInfoExA(instance, windowClass, &known)) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hIcon = manager_.programIcon(true);
    wc.hIconSm = manager_.programIcon(false);
    wc.lpszClassName = windowClass;
    RegisterClassExA(&wc);
  }
  hwnd_ = CreateWindowExA(exStyle, windowClass, "", style, CW_USEDEFAULT, CW_USEDEFAULT, width,
                          height, nullptr, nullptr, instance, this);
  dpi_ = dpiOf(hwnd_);
  font_ = createMessageFont(dpi_);
  RECT frame{0, 0, px(width), px(height)};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  centre();
  add(std::make_unique<FormBinding>(*this, form_));
}

void FormWindow::centre() {
  RECT frame{};
  GetWindowRect(hwnd_, &frame);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoA(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& area = monitor.rcWork;
  int width = frame.right - frame.left;
  int height = frame.bottom - frame.top;
  int x = area.left + (area.right - area.left - width) / 2;
  int y = area.top + (area.bottom - area.top - height) / 2;
  SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
}

HWND FormWindow::createChild(HWND parent, const char* windowClass, const char* text, DWORD style,
                             DWORD exStyle) {
  HWND child = CreateWindowExA(exStyle, windowClass, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0,
                               0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextId_++)),
                               manager_.instance(), nullptr);
  SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return child;
}

HWND FormWindow::createPage(HWND tabs) {
  // An empty dialog template: no menu, no class, no title.
  struct alignas(4) Template {
    DLGTEMPLATE dialog;
    WORD menu, windowClass, title;
  } page{};
  page.dialog.style = WS_CHILD | DS_CONTROL | WS_CLIPSIBLINGS;
  HWND window = CreateDialogIndirectParamA(manager_.instance(), &page.dialog, tabs, pageProc,
                                           reinterpret_cast<LPARAM>(this));
  EnableThemeDialogTexture(window, ETDT_ENABLETAB);
  pages_.push_back(window);
  return window;
}

void FormWindow::add(std::unique_ptr<Binding> binding) {
  if (binding->window() != hwnd_) byWindow_[binding->window()] = binding.get();
  bindings_.push_back(std::move(binding));
}

void FormWindow::detachAll() {
  if (!attached_) return;
  attached_ = false;
  for (auto& binding : bindings_) binding->detach();
  pending_.clear();
  pendingSet_.clear();
}

void FormWindow::markShown() {
  activatedSinceShow_ = false;
  SetTimer(hwnd_, kActivationFallbackTimer, kActivationFallbackMs, nullptr);
}

void FormWindow::schedule(Binding* binding) {
  if (!attached_) return;
  if (pendingSet_.insert(binding).second) pending_.push_back(binding);
  if (!syncPosted_) {
    syncPosted_ = true;
    PostMessageA(hwnd_, WM_TS_SYNC, 0, 0);
  }
}

void FormWindow::syncPending() {
  syncPosted_ = false;
  std::vector<Binding*> due;
  due.swap(pending_);
  pendingSet_.clear();
  for (Binding* binding : due) binding->sync();
}

void FormWindow::relayout() {
  layout();
  for (auto& binding : bindings_) binding->resized();
}

void FormWindow::changeDpi(UINT dpi, const RECT* suggested) {
  dpi_ = dpi;
  HFONT old = font_;
  font_ = createMessageFont(dpi_);
  setFontOnChildren(hwnd_, font_);
  fontsChanged();
  if (old) DeleteObject(old);
  if (suggested)
    SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  relayout();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

bool FormWindow::routeChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (!attached_) return false;
  HWND from = nullptr;
  switch (message) {
    case WM_COMMAND:
      from = reinterpret_cast<HWND>(lParam);
      break;
    case WM_NOTIFY:
      from = reinterpret_cast<NMHDR*>(lParam)->hwndFrom;
      break;
    case WM_DRAWITEM:
      from = reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem;
      break;
    default:
      return false;
  }
  auto it = byWindow_.find(from);
  if (it == byWindow_.end()) return false;
  Binding* binding = it->second;
  result = 0;
  switch (message) {
    case WM_COMMAND:
      return binding->onCommand(HIWORD(wParam));
    case WM_NOTIFY:
      return binding->onNotify(reinterpret_cast<NMHDR*>(lParam), result);
    default:
      result = TRUE;
      return binding->onDrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
  }
}

LRESULT FormWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT routed = 0;
  if (routeChild(message, wParam, lParam, routed)) return routed;
  switch (message) {
    case WM_TS_SYNC:
      syncPending();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) focus_ = focus;
        break;
      }
      // Form_Activate runs from the message loop, after the window has shown.
      PostMessageA(hwnd_, WM_TS_ACTIVATED, 0, 0);
      if (keyboardNavigation()) {
        // The focus goes back where it was, or to the first control.
        if (!focus_ || !IsWindow(focus_) || !IsWindowVisible(focus_) || !IsChild(hwnd_, focus_))
          focus_ = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
        if (focus_) SetFocus(focus_);
        return 0;
      }
      break;
    case WM_TS_ACTIVATED:
      if (attached_ && IsWindowVisible(hwnd_)) manager_.activated(*this);
      return 0;
    case WM_TIMER:
      if (wParam == kActivationFallbackTimer) {
        // Without a window manager no activation may ever come; the window
        // then counts as activated once it has been shown a moment.
        KillTimer(hwnd_, kActivationFallbackTimer);
        if (attached_ && IsWindowVisible(hwnd_) && !activatedSinceShow_) manager_.activated(*this);
        return 0;
      }
      break;
    case WM_SETCURSOR:
      if (manager_.busy()) {
        SetCursor(LoadCursor(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_SIZE:
      relayout();
      return 0;
    case WM_DPICHANGED:
      changeDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_CLOSE:
      // The model decides: the owner unloads the window, which destroys it.
      if (attached_) form_.userClose();
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK FormWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    auto* self = static_cast<FormWindow*>(create->lpCreateParams);
    self->hwnd_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self || self->hwnd_ != window) return DefWindowProcA(window, message, wParam, lParam);
  return self->onMessage(message, wParam, lParam);
}

INT_PTR CALLBACK FormWindow::pageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(page, DWLP_USER, lParam);
    return FALSE;
  }
  auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrA(page, DWLP_USER));
  if (!self) return FALSE;
  if (message == WM_MEASUREITEM) {
    auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    item->itemHeight = static_cast<UINT>(lineHeight(self->font_) + self->px(4));
    return TRUE;
  }
  LRESULT result = 0;
  if (self->routeChild(message, wParam, lParam, result)) {
    SetWindowLongPtrA(page, DWLP_MSGRESULT, result);
    return TRUE;
  }
  return FALSE;
}

}  // namespace view_win32
