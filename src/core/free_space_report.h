// The words of a free-space wipe, the same in the window and in the terminal:
// the warning before it, the progress as it goes, and what it did.
#pragma once

#include <cstdint>
#include <string>

#include "platform/free_space.h"

namespace core {

// "/home (ext4)"
std::string driveText(const platform::FreeSpaceDrive& drive);

// "about 4 min", "less than a minute"; empty when the speed is unknown.
std::string durationText(double seconds);

// The question asked before a fill: the drive, its free space, the time it
// will take (bytesPerSecond 0: not said) and what no fill reaches.
std::string freeSpaceWarning(const platform::FreeSpaceDrive& drive, double bytesPerSecond,
                             int passes);

// "1.2 GiB of 40.0 GiB, 180.0 MiB/s, about 3 min left"
std::string fillProgressText(std::int64_t written, std::int64_t total, double seconds);

// What was done, in one sentence, then one line per thing not reached.
std::string freeSpaceSummary(const platform::FreeSpaceDrive& drive,
                             const platform::FreeSpaceResult& result, int passes);

}  // namespace core
