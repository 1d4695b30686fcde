// --wipe: the Secure Wipe engine from a terminal, under the wipe page's
// folder-safety rule.
#pragma once

#include <iosfwd>

#include "cli/options.h"
#include "platform/system.h"

namespace cli {

// Wipes each path of options (made absolute against workingFolder first).
// A folder the safety rule refuses is left unless options.yesReally; a path
// that is a link is refused. One line per path and one per file left, on out;
// the progress line on err when showProgress. 0 when every file was
// overwritten and removed (a link: removed), 1 when anything was refused,
// left, removed without overwriting, or gone before it could be wiped.
int runWipe(const Options& options, platform::System& platform, const std::string& workingFolder,
            std::ostream& out, std::ostream& err, bool showProgress);

}  // namespace cli
