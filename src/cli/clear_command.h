// --clear: the automatic run's clearing, from a terminal, a script or a timer.
#pragma once

#include <iosfwd>

#include "cli/options.h"
#include "core/stores.h"
#include "platform/run_log.h"
#include "platform/system.h"

namespace cli {

// Clears (or previews) the areas of options through the clearing core, prints the report to out,
// keeps a real run's report in log (when given) and shows each step on err when showProgress. 0
// when everything was cleared and the report written (to out and to the log), 1 otherwise.
int runClear(const Options& options, platform::System& system, const core::Stores& stores,
             platform::RunLog* log, std::ostream& out, std::ostream& err, bool showProgress);

}  // namespace cli
