// What a clearing wipe of listed files did, or would do, told as a
// platform::ClearOutcome.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "erase/secure_wipe.h"
#include "platform/clear_outcome.h"
#include "platform/system.h"

namespace areas {

// The size of each file before anything is done to it (0 when unknown).
std::vector<std::int64_t> FileSizes(platform::System& platform,
                                    const std::vector<std::string>& paths);

// Adds the results to outcome: a file removed (overwritten or not) counts
// with its size; a file of another user, a socket, pipe, device or mount
// point is left alone by design and counted as skipped; a file already gone
// is nothing; every other file whose name stays (overwritten or not) is a
// failure with its reason, which says which.
void AddWipeResults(platform::ClearOutcome& outcome,
                    const std::vector<erasure::WipeResult>& results,
                    const std::vector<std::int64_t>& sizes);

}  // namespace areas
