// The message that tells the user what a deletion left and why, one line per
// reason, e.g.
//   The cookies of 3 sites were not deleted:
//
//   Firefox (profile default-esr) is running (2 sites).
//   Chromium (profile Work) is running (1 site).
//
//   Please close these browsers and try again.
#pragma once

#include <string>

#include "platform/clear_outcome.h"

namespace traces {

// "" when nothing failed. one/many name an item ("site", "sites").
std::string notClearedText(const std::string& heading, const platform::ClearOutcome& outcome,
                           const char* one, const char* many);

}  // namespace traces
