// Changing the histories of every browser profile found: clearing them, or
// deleting some addresses from them.
//
// Nothing is written while a profile's browser runs or while any database
// cannot be locked for writing: then nothing changes anywhere and the
// message names the browsers to close or the database another program holds.
// Every database is checked and locked before any is written.
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
  // What went (history rows) and every part that could not be changed.
  platform::ClearOutcome outcome;
  // "" when all was done; else what happened, in words for the user.
  std::string message;
  bool ok() const { return message.empty(); }
};

using StepProgress = std::function<void(std::int64_t done, std::int64_t total)>;

// urls: the addresses to delete; null clears every history.
HistoryChange changeHistories(const ProfileWatch& watch, const UrlList* urls,
                              const StepProgress& progress = {});

}  // namespace browsers::history
