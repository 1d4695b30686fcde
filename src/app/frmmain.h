// The main window: the banner, the six pages, "&Help", "&Ok" and the status
// bar. Each page's logic lives with its subsystem; this window owns the pages
// and offers their routines under the program's names.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/free_space_action.h"
#include "app/update_check.h"
#include "core/run_report.h"
#include "erase/wipe_page.h"
#include "forms/controls.h"
#include "forms/form.h"
#include "traces/cache_page.h"
#include "traces/cookies_page.h"
#include "traces/history_page.h"

namespace app {

// The run's vocabulary is the clearing core's.
using core::Area;
using core::AreaOutcome;
using core::byteText;
using core::kAllAreas;
using core::RunReport;
using core::timeNowText;

class Modmain;

inline constexpr int kTabGeneral = 0;
inline constexpr int kTabCookies = 1;
inline constexpr int kTabCache = 2;
inline constexpr int kTabHistory = 3;
inline constexpr int kTabSecureWipe = 4;
inline constexpr int kTabAbout = 5;

class frmmain : public forms::Form {
 public:
  explicit frmmain(Modmain& app);

  forms::PictureBox Picture1{"Picture1"};
  forms::TabControl SSTab1{
      "SSTab1", {"General", "Cookies", "Cache", "Browser History", "Secure Wipe", "About"}};
  forms::CommandButton cmdhelp{"cmdhelp", "&Help"};
  forms::CommandButton cmdok{"cmdok", "&Ok"};
  forms::StatusBar sbar{"sbar", 2};

  // General
  forms::Frame Frame1{"Frame1", "General Operation"};
  forms::CheckBox chkautostart{"chkautostart", "Start up with windows"};
  forms::CheckBox chkdelOnStart{"chkdelOnStart", "Tracesweep on startup"};
  forms::CheckBox chkDelOnShutDown{"chkDelOnShutDown", "Tracesweep on shutdown"};
  forms::CheckBox Chkautoclearcookies{"Chkautoclearcookies", "Delete Cookies Automatically"};
  forms::CheckBox ChkAutoClearCache{"ChkAutoClearCache", "Clear Cache Automatically"};
  forms::CheckBox ChkAutoClearHistory{"ChkAutoClearHistory",
                                      "Clear visited URL History Automatically"};
  forms::Frame Frame5{"Frame5", "Miscellaneous Options"};
  forms::CheckBox chkEmptyRecycleBin{"chkEmptyRecycleBin", "Empty Recycle Bin"};
  forms::CheckBox chkdeltempfiles{"chkdeltempfiles", "Clear Temporary files"};

  // Cookies, Cache, Browser History, Secure Wipe
  erasure::WipePage wipe;
  FreeSpaceAction freeSpace;  // "Wipe free space..." on the same page
  traces::CookiesPage cookies;
  traces::CachePage cache;
  traces::HistoryPage history;

  // About
  forms::Label lblappname{"lblappname"};
  forms::Label lblproginfo{"lblproginfo"};
  forms::Label lbladdress{"lbladdress"};
  forms::Line Line1{"Line1"};
  forms::Label lblurl{"lblurl"};
  forms::Label lblwarning{"lblwarning"};
  forms::PictureBox Picture2{"Picture2"};
  forms::CommandButton cmdcheckForUpdates{"cmdcheckForUpdates", "&Check for updates..."};

  void Form_Load() override;
  void Form_Activate() override;
  void Form_QueryUnload() override;

  void loadUserPrefs();
  // Saves the ticks as one change; false, after telling the user, when it failed.
  bool saveUserPrefs();
  // The stored check boxes by key, in the order both methods process them;
  // "shredlevel" (optQuick) comes after them.
  std::vector<std::pair<const char*, forms::CheckBox*>> preferenceBoxes();

  void SSTab1_Click();
  void cmdok_Click();
  void cmdhelp_Click();
  void lblurl_Click();
  void chkdeltempfiles_Click();
  void chkEmptyRecycleBin_Click();
  void cmdcheckForUpdates_Click();

  // The pages' routines under the program's names.
  void loadCookiesList() { cookies.loadCookiesList(); }
  void deletecookies(bool ask, platform::ClearOutcome* outcome = nullptr) {
    cookies.deletecookies(ask, outcome);
  }
  void loadCacheContents() { cache.loadCacheContents(); }
  void deletecache(platform::ClearOutcome* outcome = nullptr) { cache.deletecache(outcome); }
  void loadURLHistory() { history.loadURLHistory(); }
  void wipeOut() { wipe.wipeOut(); }
  void checkForUpdates();
  // Whether an update check started from this window is still waiting for its answer.
  bool checkingForUpdates() const { return updates_.running(); }

 private:
  void tellRun(Area area, platform::ClearOutcome outcome);

  Modmain& app_;
  update::UpdateCheck updates_;
};

}  // namespace app
