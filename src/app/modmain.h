// The application shell: the entry point, the windows' lifetimes, the
// autostart entry, the automatic clearing run and the exit sequence.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/frmmain.h"
#include "app/small_forms.h"
#include "erase/file_list.h"
#include "identity.h"
#include "platform/platform.h"
#include "traces/url_history.h"

namespace app {

inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class Modmain {
 public:
  explicit Modmain(platform::Platform& platform);
  ~Modmain();
  Modmain(const Modmain&) = delete;
  Modmain& operator=(const Modmain&) = delete;

  // The entry point. Returns with the splash shown (or the process ended);
  // the caller then runs the event loop.
  void Main();

  void SetAutoStart(bool enable);
  void OpenURL(const std::string& url);

  // The main window: null while not loaded.
  frmmain* mainForm() const { return main_.get(); }
  frmmain& loadMainForm();  // loads it hidden when it is not loaded
  void showMainForm();      // loads when needed, shows and activates it
  void unloadMainForm();    // its close handler runs, then it is gone
  // A user's close of the main window ("&Ok", the close box). Without a
  // notification area closing it ends the program through the exit sequence.
  void closeMainForm();

  // The notification area came or went: without one the main window is the
  // only way in, so it is shown; with one, closing it leaves the program in the tray.
  void trayAvailabilityChanged(bool available);
  // The desktop session ends (SIGTERM at log-out): the main window, when
  // loaded, is unloaded as a close would, so the autostart box applies.
  // Nothing is asked and nothing is cleared.
  void sessionEnd();

  void startupSequence(frmSplash& splash);
  void ClearChosenAreas(forms::Label& progress);
  void exitSequence();  // the tray menu's "Exit"

  traces::CURLHistory* history() const { return history_.get(); }
  frmtray* trayForm() const { return tray_.get(); }
  frmSplash* splashForm() const { return splash_.get(); }
  frmCleanUp* cleanUpForm() const { return cleanUp_.get(); }
  bool hasTray() const { return platform.tray.available(); }

  platform::Platform& platform;
  // Scheme and host of the maker's server: the build's own; tests point it elsewhere.
  std::string makerUrl = identity::kMakerUrl;
  bool ShowIndexDat = true;
  erasure::FileList FileList;

 private:
  void fillMainForm(frmmain& main);
  void retire(std::unique_ptr<forms::Form> form);

  std::unique_ptr<frmtray> tray_;
  std::unique_ptr<frmSplash> splash_;
  std::unique_ptr<frmmain> main_;
  std::unique_ptr<frmCleanUp> cleanUp_;
  std::unique_ptr<traces::CURLHistory> history_;
  // Windows unloaded inside one of their own handlers live until it returns.
  std::vector<std::unique_ptr<forms::Form>> retired_;
};

}  // namespace app
