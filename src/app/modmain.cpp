#include "app/modmain.h"

#include <algorithm>

#include "app/preferences_notice.h"
#include "areas/system_areas.h"
#include "core/clearing.h"
#include "identity.h"

namespace app {

Modmain::Modmain(forms::Platform& p, core::Stores s)
    : platform(p), stores(std::move(s)), sources_(p, stores) {}

Modmain::~Modmain() = default;

void Modmain::Main() {
  if (platform.process.previousInstance()) {
    platform.msgbox.show(std::string(identity::kAppTitle) + " is already running",
                         forms::vbOKOnly | forms::vbInformation, identity::kAppTitle);
    platform.windows.endProcess();
    return;
  }
  ShowIndexDat = true;

  tray_ = std::make_unique<frmtray>(*this);
  platform.windows.load(*tray_);
  tray_->Form_Load();
  platform.tray.watchAvailability([this](bool available) { trayAvailabilityChanged(available); });

  openHistory();

  splash_ = std::make_unique<frmSplash>(*this);
  platform.windows.load(*splash_);
  splash_->Form_Load();
  platform.windows.show(*splash_);
}

// A history store that cannot be opened leaves the program without a history
// page, not without a program; a run that is to clear it says why. With
// browser sources the system's own store is used only beside them.
void Modmain::openHistory() {
  if (history_ || !stores.withSystemStore(stores.history)) return;
  auto store = platform.history.create();
  if (!store) {
    historyProblem_ = "the history of visited sites cannot be reached";
    return;
  }
  try {
    history_ = std::make_unique<traces::CURLHistory>(std::move(store));
    historyProblem_.clear();
  } catch (const std::exception& error) {
    history_.reset();
    historyProblem_ = *error.what() ? error.what() : "the history of visited sites cannot be read";
  }
}

void Modmain::SetAutoStart(bool enable) {
  auto& reg = platform.registry;
  platform::HKEY key = 0;
  if (reg.RegOpenKeyEx(platform::HKEY_CURRENT_USER, kRunKey, 0, platform::KEY_WRITE, key) !=
      platform::ERROR_SUCCESS)
    return;
  if (enable) {
    std::string data = platform.process.programPath();
    data.push_back('\0');
    reg.RegSetValueEx(key, identity::kAppTitle, platform::REG_SZ,
                      reinterpret_cast<const std::uint8_t*>(data.data()),
                      static_cast<std::uint32_t>(data.size()));
  } else {
    reg.RegDeleteValue(key, identity::kAppTitle);
  }
  reg.RegCloseKey(key);
}

void Modmain::OpenURL(const std::string& url) {
  platform.shell.openUrl(url);
}

frmmain& Modmain::loadMainForm() {
  if (!main_) {
    retired_.clear();
    main_ = std::make_unique<frmmain>(*this);
    main_->setCloseRequestHandler([this] { closeMainForm(); });
    platform.windows.load(*main_);
    main_->Form_Load();
  }
  return *main_;
}

void Modmain::showMainForm() {
  frmmain& main = loadMainForm();
  platform.windows.show(main);
}

void Modmain::unloadMainForm() {
  if (!main_) return;
  main_->Form_QueryUnload();
  platform.windows.unload(*main_);
  retire(std::move(main_));
}

void Modmain::trayAvailabilityChanged(bool available) {
  // While the start-up sequence runs, its end shows the window when needed.
  if (!available && tray_ && !splash_) showMainForm();
}

void Modmain::sessionEnd() {
  unloadMainForm();
}

void Modmain::closeMainForm() {
  if (hasTray())
    unloadMainForm();
  else
    exitSequence();
}

void Modmain::retire(std::unique_ptr<forms::Form> form) {
  retired_.push_back(std::move(form));
}

void Modmain::fillMainForm(frmmain& main) {
  main.loadUserPrefs();
  main.loadCacheContents();
  main.loadURLHistory();
  main.loadCookiesList();
}

void Modmain::startupSequence(frmSplash& splash) {
  auto step = [&splash](const char* text) {
    splash.lblAction.setCaption(text);
    splash.lblAction.Refresh();
  };
  step("Loading preferences...");
  frmmain& main = loadMainForm();
  main.loadUserPrefs();
  if (main.chkautostart.Value() == 1) SetAutoStart(true);
  tellPreferencesRepair(platform, main);
  step("Loading cache contents...");
  main.loadCacheContents();
  step("Loading history...");
  main.loadURLHistory();
  step("Loading cookie list...");
  main.loadCookiesList();
  if (main.chkdelOnStart.Value() == 1) {
    RunReport report = ClearChosenAreas(splash.lblAction);
    report.trigger = "start";
    tellRun(report);
  }

  platform.windows.unload(splash);
  retire(std::move(splash_));
  // Without a notification area the main window is the only way in.
  if (!hasTray()) showMainForm();
}

std::vector<Area> Modmain::chosenAreas() {
  frmmain& main = loadMainForm();
  std::vector<Area> areas;
  if (main.ChkAutoClearCache.Value() == 1) areas.push_back(Area::Cache);
  if (main.Chkautoclearcookies.Value() == 1) areas.push_back(Area::Cookies);
  if (main.ChkAutoClearHistory.Value() == 1) areas.push_back(Area::History);
  if (main.chkEmptyRecycleBin.Value() == 1) areas.push_back(Area::Trash);
  if (main.chkdeltempfiles.Value() == 1) areas.push_back(Area::Temp);
  return areas;
}

RunReport Modmain::ClearChosenAreas(forms::Label& progress) {
  return clearAreas(chosenAreas(), false, progress);
}

// The lists the main window shows are the plans of their areas: what the
// user saw is what goes. The other areas are planned by the run.
RunReport Modmain::clearAreas(const std::vector<Area>& areas, bool preview,
                              forms::Label& progress) {
  frmmain& main = loadMainForm();
  const core::ClearChoices choices{main.wipe.chkSecureForAll.Value() == 1,
                                   main.cache.chkDelCachedPasswords.Value() == 1};
  const core::CachePlan cache = main.cache.listed();
  core::GivenPlans given;
  given.cache = &cache;
  given.tempFiles = &FileList;
  main.cookies.giveListed(given);
  core::RunWatch watch;
  watch.onArea = [&progress, preview](Area area) {
    progress.setCaption(core::stepText(area, preview));
    progress.Refresh();
  };
  // The view repaints the status bar as the progress changes.
  watch.progress = [&main](Area area, std::int64_t done, std::int64_t total) {
    if (area == Area::Cache || area == Area::Cookies) main.sbar.setProgress(done, total);
  };
  RunReport report;
  {
    forms::HourglassGuard hourglass(main);
    report = clearing().run(areas, preview, choices, given, watch);
    main.sbar.setProgress(0, 0);
  }
  if (preview) return report;
  const auto cleared = [&areas](Area area) {
    return std::find(areas.begin(), areas.end(), area) != areas.end();
  };
  if (cleared(Area::Cookies)) main.cookies.afterRun();
  if (cleared(Area::Cache)) main.cache.GetCacheURLList();
  if (cleared(Area::History) && history_) {
    try {
      history_->Refresh();
    } catch (const std::exception&) {
      // the page keeps what it showed; the report says what happened
    }
  }
  return report;
}

core::Clearing Modmain::clearing() {
  return core::Clearing(platform, sources_);
}

void Modmain::tellRun(RunReport report) {
  if (runLog_) report.logProblem = runLog_->add(logEntry(report)).problem;
  if (!report.ok() && hasTray())
    platform.tray.showMessage(identity::kAppTitle, notificationText(report));
}

void Modmain::exitSequence() {
  if (platform.msgbox.show("Do you wish to end the application?", forms::vbOKCancel,
                           identity::kAppTitle) != forms::vbOK)
    return;
  bool wasLoaded = main_ != nullptr;
  frmmain& main = loadMainForm();
  if (!wasLoaded) fillMainForm(main);
  if (main.chkDelOnShutDown.Value() == 1) {
    // Entries created since the lists were last read are cleared too.
    if (wasLoaded) {
      main.loadCacheContents();
      main.loadCookiesList();
    }
    cleanUp_ = std::make_unique<frmCleanUp>();
    platform.windows.load(*cleanUp_);
    cleanUp_->Form_Load();
    platform.windows.show(*cleanUp_);
    platform.windows.setTopmost(*cleanUp_);
    RunReport report = ClearChosenAreas(cleanUp_->lblAction);
    report.trigger = "exit";
    tellRun(report);
    platform.windows.unload(*cleanUp_);
    retire(std::move(cleanUp_));
  }
  unloadMainForm();
  if (tray_) {
    platform.windows.unload(*tray_);
    retire(std::move(tray_));
  }
  platform.windows.endProcess();
}

}  // namespace app
