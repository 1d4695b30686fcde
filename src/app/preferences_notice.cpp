#include "app/preferences_notice.h"

#include "app/frmmain.h"
#include "core/preferences.h"
#include "identity.h"

namespace app {

namespace {

constexpr std::size_t kProblemsShown = 3;

bool isStored(platform::SettingsStore& store, const char* key) {
  const std::string absent(1, '\x01');  // a text no stored value holds
  return store.GetSetting(identity::kAppTitle, core::prefs::kSection, key, absent) != absent;
}

std::string keptSettings(forms::Platform& platform, frmmain& main) {
  std::string list;
  for (auto& [key, box] : main.preferenceBoxes())
    if (isStored(platform.settings, key))
      list += "    " + box->Caption() + ": " + (box->Value() == 1 ? "on" : "off") + "\n";
  if (isStored(platform.settings, "shredlevel")) {
    const auto& level = main.wipe.optQuick.Value() ? main.wipe.optQuick : main.wipe.optDOD;
    list += "    Secure Wipe: " + level.Caption() + "\n";
  }
  return list;
}

}  // namespace

std::string preferencesRepairText(forms::Platform& platform, frmmain& main) {
  platform::RegistryRepair repair = platform.registry.loadRepair();
  if (repair.problems.empty()) return "";
  std::string why;
  for (std::size_t i = 0; i < repair.problems.size() && i < kProblemsShown; ++i)
    why += (i ? "; " : "") + repair.problems[i];
  if (repair.problems.size() > kProblemsShown) why += "; ...";

  std::string text = "The preferences could not be read (" + why + ").\n\n";
  if (repair.keptAside.empty())
    text +=
        "The damaged file could not be moved aside and was left as it is, so changes to the "
        "preferences cannot be saved until it is removed.\n\n";
  else
    text += "The damaged file was kept as:\n" + repair.keptAside + "\n\n";
  std::string kept = keptSettings(platform, main);
  if (kept.empty())
    text += "No setting could be kept; all are back to their defaults.";
  else
    text += "These settings were kept:\n" + kept + "The others are back to their defaults.";
  return text;
}

void tellPreferencesRepair(forms::Platform& platform, frmmain& main) {
  std::string text = preferencesRepairText(platform, main);
  if (!text.empty())
    platform.msgbox.show(text, forms::vbOKOnly | forms::vbInformation, identity::kAppTitle);
}

}  // namespace app
