// --keep, --unkeep, --kept and --keep-from-browsers: the keep list, the
// sites whose cookies every clearing leaves, as the preferences store it.
#pragma once

#include <iosfwd>

#include "cli/options.h"
#include "core/stores.h"
#include "platform/settings_store.h"

namespace cli {

// Changes or prints the keep list of settings, naming sites as stores does.
// A list of sites is taken whole or not at all: when one cannot be kept (a
// public suffix, an empty or malformed name) each such is told on err,
// nothing changes and the status is 1. The import adds what it can and
// tells the profiles it could not read (status 1). 0 otherwise.
int runKeep(const Options& options, platform::SettingsStore& settings, const core::Stores& stores,
            std::ostream& out, std::ostream& err);

}  // namespace cli
