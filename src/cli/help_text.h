// What --help and --version print. The manual page (docs/tracesweep.1.scd)
// says the same at length; a test keeps the two in step.
#pragma once

#include <string>

namespace cli {

std::string helpText();
std::string versionText();

}  // namespace cli
