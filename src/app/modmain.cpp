#include "app/modmain.h"

#include "areas/system_areas.h"
#include "identity.h"

namespace app {

Modmain::Modmain(platform::Platform& p) : platform(p) {}

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

  // A history store that cannot be opened leaves the program without a
  // history page, not without a program.
  if (auto store = platform.history.create()) {
    try {
      history_ = std::make_unique<traces::CURLHistory>(std::move(store));
    } catch (const std::exception&) {
      history_.reset();
    }
  }

  splash_ = std::make_unique<frmSplash>(*this);
  platform.windows.load(*splash_);
  splash_->Form_Load();
  platform.windows.show(*splash_);
}

void Modmain::SetAutoStart(bool enable) {
  auto& reg = platform.registry;
  platform::HKEY key = 0;
  if (reg.RegOpenKeyEx(platform::HKEY_CURRENT_USER, kRunKey, 0, platform::KEY_WRITE, key) !=
      platform::ERROR_SUCCESS)
    return;
  if (enable) {
    std::string data = platform.process.programFolder() + "/" + platform.process.programName();
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
  step("Loading cache contents...");
  main.loadCacheContents();
  step("Loading history...");
  main.loadURLHistory();
  step("Loading cookie list...");
  main.loadCookiesList();
  if (main.chkdelOnStart.Value() == 1) ClearChosenAreas(splash.lblAction);

  platform.windows.unload(splash);
  retire(std::move(splash_));
  // Without a notification area the main window is the only way in.
  if (!hasTray()) showMainForm();
}

void Modmain::ClearChosenAreas(forms::Label& progress) {
  frmmain& main = loadMainForm();
  auto step = [&progress](const char* text) {
    progress.setCaption(text);
    progress.Refresh();
  };
  if (main.ChkAutoClearCache.Value() == 1) {
    step("Clearing cache contents...");
    main.deletecache();
  }
  if (main.Chkautoclearcookies.Value() == 1) {
    step("Deleting coookies...");
    main.deletecookies(false);
  }
  if (main.ChkAutoClearHistory.Value() == 1) {
    step("Clearing History...");
    // A store the browser holds locked is skipped quietly in the automatic run.
    if (history_) {
      try {
        history_->Clear();
      } catch (const std::exception&) {
      }
    }
  }
  if (main.chkEmptyRecycleBin.Value() == 1) {
    step("Emptying Recycle Bin...");
    areas::EmptyRecycleBin(platform, main.wipe.chkSecureForAll.Value() == 1);
  }
  if (main.chkdeltempfiles.Value() == 1) {
    step("Deleting temp files...");
    areas::ClearTempFolder(platform, main, FileList);
  }
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
    ClearChosenAreas(cleanUp_->lblAction);
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
