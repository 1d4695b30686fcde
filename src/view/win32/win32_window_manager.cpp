#include "view/win32/win32_window_manager.h"

#include <functional>

#include "app/frmmain.h"
#include "app/small_forms.h"
#include "view/win32/main_window.h"
#include "view/win32/resource_ids.h"
#include "view/win32/small_windows.h"

namespace view_win32 {
namespace {

constexpr UINT_PTR kSplashTimer = 1;
constexpr UINT WM_TS_POSTED = WM_APP + 3;  // tasks wait in the posted queue

std::unique_ptr<FormWindow> createWindow(Win32WindowManager& manager, forms::Form& form) {
  if (auto* main = dynamic_cast<app::frmmain*>(&form))
    return std::make_unique<MainWindow>(manager, *main);
  if (auto* splash = dynamic_cast<app::frmSplash*>(&form))
    return std::make_unique<SplashWindow>(manager, *splash);
  if (auto* cleanUp = dynamic_cast<app::frmCleanUp*>(&form))
    return std::make_unique<CleanUpWindow>(manager, *cleanUp);
  return nullptr;  // the tray window is never visible
}

}  // namespace

Win32WindowManager::Win32WindowManager(HINSTANCE instance)
    : Win32WindowManager(instance, Options{}) {}

Win32WindowManager::Win32WindowManager(HINSTANCE instance, Options options)
    : instance_(instance), options_(options) {
  iconLarge_ = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDI_TRACESWEEP),
                                             IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                             GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
  iconSmall_ = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDI_TRACESWEEP),
                                             IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = helperProc;
  wc.hInstance = instance_;
  wc.lpszClassName = "TracesweepHelper";
  RegisterClassExA(&wc);
  helper_ = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                            nullptr, instance_, nullptr);
  SetWindowLongPtrA(helper_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32WindowManager::~Win32WindowManager() {
  unloadAll();
  if (helper_) DestroyWindow(helper_);
  if (iconLarge_) DestroyIcon(iconLarge_);
  if (iconSmall_) DestroyIcon(iconSmall_);
}

void Win32WindowManager::load(forms::Form& form) {
  windows_[&form] = createWindow(*this, form);
}

FormWindow* Win32WindowManager::windowOf(const forms::Form& form) const {
  auto it = windows_.find(&form);
  return it == windows_.end() ? nullptr : it->second.get();
}

void Win32WindowManager::show(forms::Form& form) {
  if (!windows_.count(&form)) load(form);
  FormWindow* window = windowOf(form);
  if (!window) return;
  HWND hwnd = window->hwnd();
  if (!IsWindowVisible(hwnd)) shownSince_[&form] = GetTickCount();
  window->markShown();
  ShowWindow(hwnd, IsIconic(hwnd) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(hwnd);
  // Work that follows at once without returning to the message loop must not
  // paint into nothing.
  UpdateWindow(hwnd);
  showPainted();
}

// Form_Activate runs when the window becomes the program's active window: not
// again when it gets the focus back from a message box, a menu or another
// program.
void Win32WindowManager::activated(FormWindow& window) {
  window.markActivated();
  forms::Form& form = window.form();
  if (active_ == &form) return;
  active_ = &form;
  window.prepareActivation();
  form.Form_Activate();  // may unload the window
}

void Win32WindowManager::unload(forms::Form& form) {
  if (active_ == &form) active_ = nullptr;
  setBusy(form, false);
  auto it = windows_.find(&form);
  if (it == windows_.end()) return;
  std::unique_ptr<FormWindow> window = std::move(it->second);
  windows_.erase(it);
  DWORD shownAt = shownSince_.count(&form) ? shownSince_[&form] : 0;
  shownSince_.erase(&form);
  if (!window) return;
  window->detachAll();
  // The splash lingers, detached, until it has been seen; it has no behaviour.
  if (dynamic_cast<app::frmSplash*>(&form) && IsWindowVisible(window->hwnd()) && shownAt) {
    DWORD shownFor = GetTickCount() - shownAt;
    if (shownFor < options_.splashMinimumMs) {
      if (lingering_) bury(std::move(lingering_));
      lingering_ = std::move(window);
      SetTimer(helper_, kSplashTimer, options_.splashMinimumMs - shownFor, nullptr);
      return;
    }
  }
  ShowWindow(window->hwnd(), SW_HIDE);
  bury(std::move(window));
}

void Win32WindowManager::bury(std::unique_ptr<FormWindow> window) {
  graveyard_.push_back(std::move(window));
}

void Win32WindowManager::unloadAll() {
  KillTimer(helper_, kSplashTimer);
  for (auto& [form, window] : windows_)
    if (window) window->detachAll();
  windows_.clear();
  shownSince_.clear();
  lingering_.reset();
  graveyard_.clear();
  busy_.clear();
  active_ = nullptr;
}

void Win32WindowManager::setTopmost(forms::Form& form) {
  FormWindow* window = windowOf(form);
  if (!window) return;
  SetWindowPos(window->hwnd(), HWND_TOPMOST, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  UpdateWindow(window->hwnd());
  showPainted();
}

HWND Win32WindowManager::ownerWindow() const {
  HWND active = GetActiveWindow();
  for (const auto& [form, window] : windows_)
    if (window && window->attached() && window->hwnd() == active) return active;
  return nullptr;
}

void Win32WindowManager::setBusy(const forms::Form& form, bool busy) {
  bool was = this->busy();
  if (busy)
    busy_.insert(&form);
  else
    busy_.erase(&form);
  if (was == this->busy()) return;
  // The work runs without returning to the message loop, so the cursor is
  // set now, not at the next mouse move.
  if (this->busy()) {
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
  } else {
    POINT at{};
    GetCursorPos(&at);
    SetCursorPos(at.x, at.y);  // asks the window under the mouse for its cursor
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
  }
}

bool Win32WindowManager::translate(MSG& message) {
  HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  if (!root) return false;
  for (const auto& [form, window] : windows_) {
    if (!window || window->hwnd() != root || !window->attached()) continue;
    if (window->preTranslate(message)) return true;
    return window->keyboardNavigation() && IsDialogMessageA(root, &message);
  }
  return false;
}

void Win32WindowManager::dispatch(MSG& message) {
  if (translate(message)) return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

void Win32WindowManager::doEvents() {
  MSG message;
  while (!ended_ && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    dispatch(message);
  }
}

int Win32WindowManager::run() {
  MSG message;
  int code = 0;
  while (!ended_) {
    BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      code = static_cast<int>(message.wParam);
      break;
    }
    if (got < 0) break;
    dispatch(message);
    // Back at the top: no handler of an unloaded window is running any more.
    graveyard_.clear();
  }
  return code;
}

void Win32WindowManager::popupMenu(const std::vector<forms::MenuItem*>& items) {
  HMENU menu = CreatePopupMenu();
  for (std::size_t i = 0; i < items.size(); ++i)
    AppendMenuA(menu, MF_STRING | (items[i]->Enabled() ? 0u : MF_GRAYED), i + 1,
                items[i]->Caption().c_str());
  POINT at{};
  GetCursorPos(&at);
  // A menu of a window in the background would not close on a click elsewhere.
  SetForegroundWindow(helper_);
  UINT chosen = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, helper_, nullptr));
  PostMessageA(helper_, WM_NULL, 0, 0);
  DestroyMenu(menu);
  if (chosen == 0 || chosen > items.size()) return;
  // A copy: the item's window may be unloaded while its handler runs.
  std::function<void()> onClick = items[chosen - 1]->onClick;
  if (onClick) onClick();
}

void Win32WindowManager::post(std::function<void()> task) {
  {
    std::lock_guard<std::mutex> lock(postedMutex_);
    posted_.push_back(std::move(task));
  }
  PostMessageA(helper_, WM_TS_POSTED, 0, 0);
}

void Win32WindowManager::runPosted() {
  for (;;) {
    std::function<void()> task;
    {
      std::lock_guard<std::mutex> lock(postedMutex_);
      if (posted_.empty()) return;
      task = std::move(posted_.front());
      posted_.pop_front();
    }
    if (!ended_ && task) task();
  }
}

void Win32WindowManager::endProcess() {
  ended_ = true;
  PostQuitMessage(0);
}

LRESULT CALLBACK Win32WindowManager::helperProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
  auto* self = reinterpret_cast<Win32WindowManager*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self && message == WM_TS_POSTED) {
    self->runPosted();
    return 0;
  }
  if (self && message == WM_TIMER && wParam == kSplashTimer) {
    KillTimer(window, kSplashTimer);
    if (self->lingering_) {
      ShowWindow(self->lingering_->hwnd(), SW_HIDE);
      self->bury(std::move(self->lingering_));
    }
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace view_win32
