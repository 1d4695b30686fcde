#include "app/frmmain.h"

#include <utility>
#include <vector>

#include "app/about_texts.h"
#include "app/help_page.h"
#include "app/modmain.h"
#include "app/temp_folder_wait.h"
#include "areas/system_areas.h"
#include "core/preferences.h"
#include "core/stored_choices.h"
#include "identity.h"

namespace app {

frmmain::frmmain(Modmain& app)
    : Form("frmmain"),
      wipe(app.platform, forms::PageHost{*this, sbar}, app.FileList),
      freeSpace(app.platform, forms::PageHost{*this, sbar}, wipe.cmdWipe),
      cookies(app.platform, forms::PageHost{*this, sbar}, app.ShowIndexDat, wipe.chkSecureForAll,
              app.stores),
      cache(app.platform, forms::PageHost{*this, sbar}, &wipe.chkSecureForAll, app.stores.cache,
            app.stores.besideSystemStores),
      history(app.platform, forms::PageHost{*this, sbar}, app.history(), app.stores.history,
              app.stores.besideSystemStores),
      app_(app),
      updates_(
          app.platform, *this, [this](const std::string& url) { app_.OpenURL(url); },
          app.makerUrl) {}

void frmmain::Form_Load() {
  setCaption(identity::kAppTitle);
  SSTab1.setTab(kTabGeneral);
  lblappname.setCaption(about::appName());
  lblproginfo.setCaption(about::programInfo());
  lbladdress.setCaption(about::address());
  lblurl.setCaption(about::urlText());
  lblwarning.setCaption(about::warning());
}

void frmmain::Form_Activate() {
  Refresh();
  int half = cookies.lstcookies.Width() / 2;
  cookies.lstcookies.setColumnWidth(1, half);
  cookies.lstcookies.setColumnWidth(2, half);
  loadUserPrefs();
}

void frmmain::Form_QueryUnload() {
  app_.SetAutoStart(chkautostart.Value() == 1);
}

std::vector<std::pair<const char*, forms::CheckBox*>> frmmain::preferenceBoxes() {
  return {{"autostart", &chkautostart},
          {"runonstart", &chkdelOnStart},
          {"runonshutdown", &chkDelOnShutDown},
          {core::kKeyAutoCookies, &Chkautoclearcookies},
          {core::kKeyAutoCache, &ChkAutoClearCache},
          {core::kKeyAutoHistory, &ChkAutoClearHistory},
          {core::kKeyAutoTrash, &chkEmptyRecycleBin},
          {core::kKeyAutoTemp, &chkdeltempfiles},
          {core::kKeyDeleteCachedPasswords, &cache.chkDelCachedPasswords},
          {core::kKeySecureForAll, &wipe.chkSecureForAll}};
}

void frmmain::loadUserPrefs() {
  auto& store = app_.platform.settings;
  for (auto& [key, box] : preferenceBoxes())
    box->setValue(core::prefs::parseBoxValue(
        store.GetSetting(identity::kAppTitle, core::prefs::kSection, key, "0")));
  std::string level = store.GetSetting(identity::kAppTitle, core::prefs::kSection, "shredlevel",
                                       core::prefs::truthText(true));
  wipe.optQuick.setValue(core::prefs::parseTruth(level).value_or(true));
  wipe.optDOD.setValue(!wipe.optQuick.Value());
}

bool frmmain::saveUserPrefs() {
  // One change: what another copy (a command line's --keep) saved meanwhile
  // stays, and no other value is written back.
  const platform::SettingsSaved saved =
      app_.platform.settings.change([this](platform::SettingsEditor& store) {
        for (auto& [key, box] : preferenceBoxes())
          store.SaveSetting(identity::kAppTitle, core::prefs::kSection, key,
                            std::to_string(box->Value()));
        store.SaveSetting(identity::kAppTitle, core::prefs::kSection, "shredlevel",
                          core::prefs::truthText(wipe.optQuick.Value()));
      });
  if (!saved.ok())
    app_.platform.msgbox.show("Your preferences could not be saved: " + saved.error,
                              forms::vbOKOnly | forms::vbExclamation, identity::kAppTitle);
  return saved.ok();
}

void frmmain::SSTab1_Click() {
  switch (SSTab1.Tab()) {
    case kTabCookies:
      loadCookiesList();
      break;
    case kTabCache:
      loadCacheContents();
      break;
    case kTabHistory:
      loadURLHistory();
      break;
    default:
      break;
  }
}

void frmmain::cmdok_Click() {
  // The window stays when the choices could not be saved, so they are not lost.
  if (saveUserPrefs()) app_.closeMainForm();
}

void frmmain::cmdhelp_Click() {
  app_.OpenURL(helpLocation(app_.platform, {}, app_.makerUrl));
}

void frmmain::lblurl_Click() {
  app_.OpenURL(homeLocation(app_.platform, app_.makerUrl));
}

void frmmain::chkdeltempfiles_Click() {
  if (chkdeltempfiles.Value() != 1) return;
  sbar.setPanelText(1, "Deleting temp folder contents...");
  sbar.Refresh();
  tellRun(Area::Temp, ClearTempFolder(app_.platform, *this, app_.FileList));
  sbar.setPanelText(1, "");
}

void frmmain::chkEmptyRecycleBin_Click() {
  if (chkEmptyRecycleBin.Value() != 1) return;
  sbar.setPanelText(1, "Emptying Recycle bin...");
  sbar.Refresh();
  tellRun(Area::Trash, areas::EmptyRecycleBin(app_.platform, wipe.chkSecureForAll.Value() == 1));
  sbar.setPanelText(1, "");
}

// A clearing started by ticking its box is a run of one area: its report
// goes where every run's goes.
void frmmain::tellRun(Area area, platform::ClearOutcome outcome) {
  RunReport report;
  report.trigger = "General page";
  report.started = timeNowText();
  report.areas.push_back({area, std::move(outcome)});
  app_.tellRun(report);
}

void frmmain::cmdcheckForUpdates_Click() {
  checkForUpdates();
}

void frmmain::checkForUpdates() {
  updates_.start();
}

}  // namespace app
