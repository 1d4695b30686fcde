// Changing the histories of every browser profile found: clearing them, or
// deleting some addresses from them.
//
// Each profile is changed whole or not at all, on its own: its history
// database and the stores attached beside it are locked and written in one
// transaction. A profile whose browser runs, or whose database another
// program holds, keeps its history and is a failure named by its browser
// and profile; the other profiles are changed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "browsers/history/profile_traces.h"
#include "browsers/profiles/browser_profiles.h"
#include "platform/clear_outcome.h"

namespace browsers::history {

// Where the profiles are and whether their browsers run: the live
// environment by default, a test's profiles otherwise.
struct ProfileWatch {
  std::function<std::vector<BrowserProfile>()> profiles = findBrowserProfiles;
  std::function<bool(const BrowserProfile&)> running = browserRunning;
  // The folders that hold profiles but may not be entered: a change tells
  // each, so no history is left unsaid.
  std::function<std::vector<platform::ClearFailure>()> refused = [] {
    return searchBrowserProfiles().refused;
  };
};

struct HistoryChange {
  // What went (history rows) and every part that could not be changed: a
  // profile left whole is one failure, its item the browser and profile.
  platform::ClearOutcome outcome;
  // "" when all was done; else what happened, in words for the user.
  std::string message;
  bool ok() const { return message.empty(); }
};

using StepProgress = std::function<void(std::int64_t done, std::int64_t total)>;

// Why a running browser's profile keeps its history, in words for the user.
std::string closeBrowserText(const std::string& name);

// urls: the addresses to delete; null clears every history.
HistoryChange changeHistories(const ProfileWatch& watch, const UrlList* urls,
                              const StepProgress& progress = {});

}  // namespace browsers::history
