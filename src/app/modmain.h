// The application shell: the entry point, the windows' lifetimes, the
// autostart entry, the automatic clearing run and the exit sequence.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/frmmain.h"
#include "app/small_forms.h"
#include "core/area_sources.h"
#include "core/clearing.h"
#include "core/run_report.h"
#include "core/stores.h"
#include "erase/file_list.h"
#include "forms/platform.h"
#include "identity.h"
#include "platform/run_log.h"
#include "traces/url_history.h"

namespace app {

inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class Modmain {
 public:
  // stores are where the browsers' traces are; none means the system's own
  // legacy stores alone.
  explicit Modmain(forms::Platform& platform, core::Stores stores = {});
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
  // Clears the areas ticked on the General page with the lists the main
  // window holds, showing each step in progress.
  RunReport ClearChosenAreas(forms::Label& progress);
  void exitSequence();  // the tray menu's "Exit"

  // The areas ticked on the General page, in the order a run clears them.
  std::vector<Area> chosenAreas();
  // Clears the given areas (or, as a preview, lists what that would remove)
  // through the routines and lists of the main window, loading it when
  // needed. Every item left is in the report with its reason.
  RunReport clearAreas(const std::vector<Area>& areas, bool preview, forms::Label& progress);
  // Where the automatic runs' reports are kept; none by default.
  void setRunLog(platform::RunLog* log) { runLog_ = log; }
  // Keeps a run's report in the log and, when something could not be
  // cleared, says so once through the tray icon.
  void tellRun(RunReport report);

  traces::CURLHistory* history() const { return history_.get(); }
  frmtray* trayForm() const { return tray_.get(); }
  frmSplash* splashForm() const { return splash_.get(); }
  frmCleanUp* cleanUpForm() const { return cleanUp_.get(); }
  bool hasTray() const { return platform.tray.available(); }

  forms::Platform& platform;
  const core::Stores stores;
  // Scheme and host of the maker's server: the build's own; tests point it elsewhere.
  std::string makerUrl = identity::kMakerUrl;
  bool ShowIndexDat = true;
  erasure::FileList FileList;

 private:
  void fillMainForm(frmmain& main);
  void openHistory();
  core::Clearing clearing();
  void retire(std::unique_ptr<forms::Form> form);

  std::unique_ptr<frmtray> tray_;
  std::unique_ptr<frmSplash> splash_;
  std::unique_ptr<frmmain> main_;
  std::unique_ptr<frmCleanUp> cleanUp_;
  // The areas' sources every run of the program clears through.
  core::AreaSources sources_;
  std::unique_ptr<traces::CURLHistory> history_;
  // Windows unloaded inside one of their own handlers live until it returns.
  std::vector<std::unique_ptr<forms::Form>> retired_;
  std::string historyProblem_;  // why the history store could not be opened
  platform::RunLog* runLog_ = nullptr;
};

}  // namespace app
