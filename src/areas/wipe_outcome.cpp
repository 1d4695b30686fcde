#include "areas/wipe_outcome.h"

namespace areas {

using erasure::WipeOutcome;
using erasure::WipeResult;

std::vector<std::int64_t> FileSizes(platform::System& platform,
                                    const std::vector<std::string>& paths) {
  std::vector<std::int64_t> sizes(paths.size(), 0);
  for (std::size_t i = 0; i < paths.size(); ++i)
    if (platform.files.fileLength(paths[i], sizes[i]) != 0) sizes[i] = 0;
  return sizes;
}

void AddWipeResults(platform::ClearOutcome& outcome, const std::vector<WipeResult>& results,
                    const std::vector<std::int64_t>& sizes) {
  for (std::size_t i = 0; i < results.size(); ++i) {
    const WipeResult& result = results[i];
    if (result.removed()) {
      ++outcome.removed;
      outcome.bytes += i < sizes.size() ? sizes[i] : result.bytes;
      outcome.items.push_back(result.path);
      continue;
    }
    switch (result.outcome) {
      case WipeOutcome::NotOwned:
      case WipeOutcome::NotRegular:
      case WipeOutcome::MountPoint:
        ++outcome.skipped;
        break;
      case WipeOutcome::Missing:
        break;
      default:
        outcome.fail(result.path, result.reason);
        break;
    }
  }
}

}  // namespace areas
