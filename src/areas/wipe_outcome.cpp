#include "areas/wipe_outcome.h"

#include "erase/overwrite_passes.h"

namespace areas {

using erasure::WipeOutcome;
using erasure::WipeResult;

std::vector<std::int64_t> FileSizes(platform::Platform& platform,
                                    const std::vector<std::string>& paths) {
  std::vector<std::int64_t> sizes(paths.size(), 0);
  for (std::size_t i = 0; i < paths.size(); ++i)
    if (platform.files.fileLength(paths[i], sizes[i]) != 0) sizes[i] = 0;
  return sizes;
}

std::vector<WipeResult> PreviewWipe(platform::Platform& platform,
                                    const std::vector<std::string>& paths,
                                    const erasure::BatchOptions& options) {
  platform::OverwriteOptions opening;
  opening.ownedByUserOnly = options.ownedByUserOnly;
  opening.root = options.root;
  auto session = platform.files.beginOverwrite(opening);
  std::vector<WipeResult> results(paths.size());
  for (std::size_t i = 0; i < paths.size(); ++i) {
    WipeResult& result = results[i];
    result.path = paths[i];
    platform::OverwriteOpen opened = session->open(paths[i]);
    if (!opened.target) {
      erasure::detail::describeSkip(platform, opened, result);
      continue;
    }
    opened.target->close();
    switch (opened.kind) {
      case platform::OverwriteKind::SymbolicLink:
        result.outcome = WipeOutcome::LinkRemoved;
        break;
      case platform::OverwriteKind::HardLinked:
        result.outcome = WipeOutcome::Deleted;
        break;
      default:
        result.outcome = WipeOutcome::Wiped;
        break;
    }
  }
  return results;
}

void AddWipeResults(platform::ClearOutcome& outcome, const std::vector<WipeResult>& results,
                    const std::vector<std::int64_t>& sizes) {
  for (std::size_t i = 0; i < results.size(); ++i) {
    const WipeResult& result = results[i];
    switch (result.outcome) {
      case WipeOutcome::Wiped:
      case WipeOutcome::Deleted:
      case WipeOutcome::LinkRemoved:
        ++outcome.removed;
        outcome.bytes += i < sizes.size() ? sizes[i] : 0;
        outcome.items.push_back(result.path);
        break;
      case WipeOutcome::NotOwned:
      case WipeOutcome::NotRegular:
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
