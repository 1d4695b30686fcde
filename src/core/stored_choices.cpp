#include "core/stored_choices.h"

#include <utility>

#include "core/preferences.h"
#include "identity.h"

namespace core {

namespace {

bool ticked(platform::SettingsStore& settings, const char* key) {
  return prefs::parseBoxValue(
             settings.GetSetting(identity::kAppTitle, prefs::kSection, key, "0")) == 1;
}

}  // namespace

std::vector<Area> storedAreas(platform::SettingsStore& settings) {
  const std::pair<Area, const char*> boxes[] = {{Area::Cache, kKeyAutoCache},
                                                {Area::Cookies, kKeyAutoCookies},
                                                {Area::History, kKeyAutoHistory},
                                                {Area::Trash, kKeyAutoTrash},
                                                {Area::Temp, kKeyAutoTemp}};
  std::vector<Area> areas;
  for (const auto& [area, key] : boxes)
    if (ticked(settings, key)) areas.push_back(area);
  return areas;
}

ClearChoices storedChoices(platform::SettingsStore& settings) {
  return ClearChoices{ticked(settings, kKeySecureForAll),
                      ticked(settings, kKeyDeleteCachedPasswords)};
}

}  // namespace core
