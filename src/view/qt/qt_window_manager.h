// The window manager service on Qt: one widget per loaded window, built from
// the window's model; activation, the pop-up menu and the end of the process.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <map>

#include "forms/window_manager.h"
#include "view/qt/form_window.h"

namespace view_qt {

class QtWindowManager : public forms::WindowManager {
 public:
  struct Options {
    // When a shown window gets no activation within this time (no window
    // manager, a desktop that refuses focus), it counts as activated.
    int activationFallbackMs = 300;
    // The splash stays on screen at least this long, so it can be read.
    int splashMinimumMs = 1500;
  };

  QtWindowManager();
  explicit QtWindowManager(Options options);
  ~QtWindowManager() override;

  void load(forms::Form& form) override;
  void show(forms::Form& form) override;
  void unload(forms::Form& form) override;
  void setTopmost(forms::Form& form) override;
  void doEvents() override;
  void popupMenu(const std::vector<forms::MenuItem*>& items) override;
  void endProcess() override;
  void post(std::function<void()> task) override;

  // The widget of a loaded window; null for a window without one (the tray
  // window) or one that is not loaded.
  FormWindow* windowOf(const forms::Form& form) const;
  // Whether endProcess was called (also before the event loop ran).
  bool ended() const { return ended_; }
  // Destroys every window's widget at once; main calls it before the models go.
  void unloadAll();

 private:
  void activated(FormWindow& window);

  Options options_;
  std::map<const forms::Form*, QPointer<FormWindow>> windows_;
  std::map<const forms::Form*, QElapsedTimer> shownSince_;
  const forms::Form* active_ = nullptr;  // the program's active window
  bool ended_ = false;
};

}  // namespace view_qt
