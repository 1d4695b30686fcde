// "Secure Wipe all other areas" for the trash: the trashed files are
// overwritten before the bins are emptied, and what that did is told so
// that every item counts once and no file that kept its content is called
// overwritten.
#pragma once

#include <set>
#include <string>

#include "platform/clear_outcome.h"
#include "platform/system.h"

namespace areas {

// Overwrites the files of one bin's files/ folder, opened once and reached
// only through it (with preview, only judges them). The trashed files that
// went with the overwrite are told in outcome with their sizes, each item
// once (counted holds those told); every file whose content was not
// overwritten is a failure, with the reason, even when its name went.
void OverwriteBin(platform::System& platform, const std::string& bin, bool preview,
                  platform::ClearOutcome& outcome, std::set<std::string>& counted);

}  // namespace areas
