// tracesweep --wipe-free-space PATH: overwrites the free space of the drive
// that holds PATH, with a progress line on a terminal, and reports what was
// written and what no fill reaches. Ctrl+C (or SIGTERM) stops the fill and
// gives the space back at once.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include "cli/options.h"
#include "platform/free_space.h"

namespace cli {

using FreeSpaceOpener = std::function<std::unique_ptr<platform::FreeSpaceWipe>(const std::string&)>;

// 0 when the free space was filled and flushed; 1 when the drive was refused,
// the fill failed or was stopped; the report goes to out, the reasons to err.
int runWipeFreeSpace(const Options& options, const FreeSpaceOpener& open,
                     const std::string& workingFolder, std::ostream& out, std::ostream& err,
                     bool showProgress);

}  // namespace cli
