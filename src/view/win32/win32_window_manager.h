// The window manager service on Win32: one window per loaded form, built from
// the form's model; activation, the busy pointer, the pop-up menu, the message
// loop with keyboard navigation, and the end of the process.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "forms/window_manager.h"
#include "view/win32/form_window.h"
#include "view/win32/win32_headers.h"

namespace view_win32 {

class Win32WindowManager : public forms::WindowManager {
 public:
  struct Options {
    // The splash stays on screen at least this long, so it can be read.
    UINT splashMinimumMs = 1500;
  };

  explicit Win32WindowManager(HINSTANCE instance);
  Win32WindowManager(HINSTANCE instance, Options options);
  ~Win32WindowManager() override;

  void load(forms::Form& form) override;
  void show(forms::Form& form) override;
  void unload(forms::Form& form) override;
  void setTopmost(forms::Form& form) override;
  void doEvents() override;
  void popupMenu(const std::vector<forms::MenuItem*>& items) override;
  void endProcess() override;
  // Queues the task and wakes the message loop, which runs it.
  void post(std::function<void()> task) override;

  // Runs the message loop until the process ends; returns its exit code.
  int run();
  // Whether endProcess was called (also before the message loop ran).
  bool ended() const { return ended_; }
  // Destroys every window at once; main calls it before the models go.
  void unloadAll();

  // The window of a loaded form; null for one without a window (the tray
  // window) or one that is not loaded.
  FormWindow* windowOf(const forms::Form& form) const;
  HINSTANCE instance() const { return instance_; }
  HICON programIcon(bool large) const { return large ? iconLarge_ : iconSmall_; }
  // The window that message boxes and dialogs belong to: the program's
  // active window, or none.
  HWND ownerWindow() const;

  // The busy pointer: shown while any form asks for it.
  void setBusy(const forms::Form& form, bool busy);
  bool busy() const { return !busy_.empty(); }
  // A window became active (from its window's messages).
  void activated(FormWindow& window);

 private:
  static LRESULT CALLBACK helperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool translate(MSG& message);
  void runPosted();
  void dispatch(MSG& message);
  void bury(std::unique_ptr<FormWindow> window);

  HINSTANCE instance_;
  Options options_;
  HWND helper_ = nullptr;  // owns the pop-up menu and the splash's timer
  HICON iconLarge_ = nullptr;
  HICON iconSmall_ = nullptr;
  std::map<const forms::Form*, std::unique_ptr<FormWindow>> windows_;
  std::map<const forms::Form*, DWORD> shownSince_;
  // Unloaded windows whose handlers may still be on the stack; destroyed
  // when the message loop is back at its top.
  std::vector<std::unique_ptr<FormWindow>> graveyard_;
  std::unique_ptr<FormWindow> lingering_;  // the splash, until it has been seen
  std::set<const forms::Form*> busy_;
  const forms::Form* active_ = nullptr;  // the program's active window
  bool ended_ = false;
  std::mutex postedMutex_;
  std::deque<std::function<void()>> posted_;
};

}  // namespace view_win32
