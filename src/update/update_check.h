// Asks the maker's server for the published version and offers the download
// page when it is newer than ours.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "forms/form.h"
#include "platform/platform.h"

namespace update {

inline constexpr const char* kUpdateFileNotFound =
    "The update file not found.Unable to verify if new download is present";
inline constexpr const char* kUpToDate = "Your version is up to date";
inline constexpr const char* kNewerAvailable =
    "A newer version is available!. Do you wish to go to the download page?";

// Downloads the version file into "upd.txt" in the program's folder, or in
// the user's data folder when the program's folder cannot be written (an
// installed program). The local copy's path, or nullopt when the download failed.
std::optional<std::string> downloadVersionFile(platform::Platform& platform);

// openUrl is the program's OpenURL.
void checkForUpdates(platform::Platform& platform, forms::Form& window,
                     const std::function<void(const std::string&)>& openUrl);

}  // namespace update
