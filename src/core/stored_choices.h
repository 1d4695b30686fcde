// The user's choices for the automatic runs, as the preferences store them:
// which areas a run clears, and how.
#pragma once

#include <vector>

#include "core/run_report.h"
#include "platform/settings_store.h"

namespace core {

// The keys of the choices a run reads, in the preferences' section.
inline constexpr const char* kKeyAutoCache = "autodelcache";
inline constexpr const char* kKeyAutoCookies = "autodelcookies";
inline constexpr const char* kKeyAutoHistory = "autodelhistory";
inline constexpr const char* kKeyAutoTrash = "autoemptyrecyclebin";
inline constexpr const char* kKeyAutoTemp = "autocleartemp";
inline constexpr const char* kKeyDeleteCachedPasswords = "delcachedpasswords";
inline constexpr const char* kKeySecureForAll = "secureforall";

struct ClearChoices {
  bool secure = false;                 // "Secure Wipe all other areas"
  bool deleteCachedPasswords = false;  // "Delete Cached passwords"
};

// The areas ticked for the automatic runs, in the order a run clears them.
std::vector<Area> storedAreas(platform::SettingsStore& settings);
ClearChoices storedChoices(platform::SettingsStore& settings);

}  // namespace core
