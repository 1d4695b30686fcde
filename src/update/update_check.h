// Asks the maker's server for the published version and offers the download
// page when it is newer than ours.
#pragma once

#include <functional>
#include <string>

#include "forms/form.h"
#include "platform/platform.h"

namespace update {

// openUrl is the program's OpenURL.
void checkForUpdates(platform::Platform& platform, forms::Form& window,
                     const std::function<void(const std::string&)>& openUrl);

}  // namespace update
