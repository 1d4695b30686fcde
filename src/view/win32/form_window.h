// The base of every window's view: it owns the window and the bindings of its
// controls, mirrors the form's caption and mouse pointer, reports activation
// to the window manager and turns a user's close into the form's userClose();
// the model decides and unloads. Notifications of the controls, also those of
// controls on pages, are routed to their bindings.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "forms/form.h"
#include "view/win32/control_binding.h"
#include "view/win32/dpi.h"
#include "view/win32/win32_headers.h"

namespace view_win32 {

class Win32WindowManager;

class FormWindow {
 public:
  FormWindow(Win32WindowManager& manager, forms::Form& form);
  virtual ~FormWindow();
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  forms::Form& form() const { return form_; }
  Win32WindowManager& manager() const { return manager_; }
  bool attached() const { return attached_; }
  // The form is unloaded: detach every control's binding and never call it again.
  void detachAll();

  // Coalesced model changes: brought up to date from the message loop.
  void schedule(Binding* binding);
  void syncPending();

  UINT dpi() const { return dpi_; }
  HFONT font() const { return font_; }
  // A length of the 96-DPI design at this window's DPI.
  int px(int design) const { return scaled(design, dpi_); }

  // Creates a child window in the window's font; id is unique in the window.
  HWND createChild(HWND parent, const char* windowClass, const char* text, DWORD style,
                   DWORD exStyle = 0);
  // A container for the controls of one page of the tab control `tabs`: a
  // child dialog, so that it draws the tab control's background and keyboard
  // navigation enters it.
  HWND createPage(HWND tabs);
  template <typename B, typename... Args>
  B& bind(Args&&... args) {
    auto binding = std::make_unique<B>(*this, std::forward<Args>(args)...);
    B& made = *binding;
    add(std::move(binding));
    return made;
  }
  void add(std::unique_ptr<Binding> binding);

  // Activation bookkeeping of the window manager.
  bool activatedSinceShow() const { return activatedSinceShow_; }
  void markShown();
  void markActivated() { activatedSinceShow_ = true; }
  // Called right before the form's activation handler.
  virtual void prepareActivation() {}
  // Keyboard messages the window handles before dialog navigation (true: taken).
  virtual bool preTranslate(const MSG& /*message*/) { return false; }
  // Whether Tab, the arrows and the mnemonics move between its controls.
  virtual bool keyboardNavigation() const { return false; }

  // Routes a notification of a child (of this window or of one of its pages).
  bool routeChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

 protected:
  // Creates the window, `width` by `height` of client area at the window's
  // DPI (96-DPI design units), centred on its monitor.
  void createWindow(const char* windowClass, DWORD style, DWORD exStyle, int width, int height);
  virtual LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Positions the children for the client size and DPI.
  virtual void layout() {}
  // The DPI changed: the base has set its font on every child; a window
  // with fonts of its own recreates and sets them.
  virtual void fontsChanged() {}
  void relayout();
  void centre();

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static INT_PTR CALLBACK pageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
  void changeDpi(UINT dpi, const RECT* suggested);

  Win32WindowManager& manager_;
  forms::Form& form_;
  HWND hwnd_ = nullptr;
  UINT dpi_ = 96;
  HFONT font_ = nullptr;
  int nextId_ = 100;
  bool attached_ = true;
  bool activatedSinceShow_ = false;
  bool syncPosted_ = false;
  std::vector<std::unique_ptr<Binding>> bindings_;
  std::map<HWND, Binding*> byWindow_;
  std::vector<Binding*> pending_;
  std::set<Binding*> pendingSet_;
  std::vector<HWND> pages_;
  HWND focus_ = nullptr;  // the control with the focus when the window was left
};

}  // namespace view_win32
