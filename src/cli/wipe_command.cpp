#include "cli/wipe_command.h"

#include <filesystem>
#include <functional>
#include <ostream>
#include <system_error>
#include <unordered_map>

#include "areas/wipe_outcome.h"
#include "core/run_report.h"
#include "erase/secure_wipe.h"
#include "erase/wipe_choice.h"
#include "platform/paths.h"

namespace cli {

namespace {

using erasure::WipeOutcome;
using erasure::WipeResult;

// What became of a file, in the words that open its line: each says one
// thing, and the reason after the path says why.
const char* fileLineWords(const WipeResult& result) {
  if (result.removed()) return "removed without overwriting: ";
  if (result.outcome == WipeOutcome::Overwritten) return "overwritten, not removed: ";
  return "not wiped: ";
}

class WipeRun {
 public:
  WipeRun(const Options& options, platform::System& platform, std::ostream& out, std::ostream& err,
          bool showProgress)
      : options_(options), platform_(platform), out_(out), err_(err), progress_(showProgress) {}

  // false when the path was refused or could not be reached.
  bool wipePath(const std::string& typed, const std::string& absolute);
  bool failed() const { return failed_; }

 private:
  bool wipeFolder(const std::string& typed, erasure::WipeChoice& choice);
  void report(const std::string& typed, const std::vector<WipeResult>& results,
              const std::vector<std::int64_t>& sizes);
  using Progress = std::function<void(std::int64_t, std::int64_t, const std::string&)>;
  Progress progressLine(const std::vector<std::string>& paths,
                        const std::vector<std::int64_t>& sizes);
  bool refuse(const std::string& why) {
    err_ << "tracesweep: " << why << "\n";
    return false;
  }

  const Options& options_;
  platform::System& platform_;
  std::ostream& out_;
  std::ostream& err_;
  bool progress_;
  bool failed_ = false;
};

bool WipeRun::wipePath(const std::string& typed, const std::string& absolute) {
  std::error_code error;
  const auto status = std::filesystem::symlink_status(absolute, error);
  const bool exists = !error && std::filesystem::exists(status);
  if (exists && !std::filesystem::is_directory(status) && !std::filesystem::is_symlink(status)) {
    // A file named by itself; its folder is resolved once as it is opened.
    const std::vector<std::string> paths{absolute};
    report(typed, {erasure::WipeFile(platform_, absolute, options_.passes)},
           areas::FileSizes(platform_, paths));
    return true;
  }
  // A folder (or what claims to be one: a link is refused, never followed)
  // is opened once and from then on known only by what was opened.
  erasure::WipeChoice choice(platform_, absolute);
  if (!choice.opened()) return refuse(choice.problem());
  return wipeFolder(typed, choice);
}

bool WipeRun::wipeFolder(const std::string& typed, erasure::WipeChoice& choice) {
  if (choice.protection() != platform::FolderProtection::None && !options_.yesReally)
    return refuse(choice.path() + " is " + choice.protectionWords() +
                  "; nothing was wiped (add --yes-really to wipe it all the same)");
  erasure::FileList list;
  if (!choice.list(&list)) return refuse(choice.problem());
  const std::vector<std::string> paths(list.entries.begin() + 1, list.entries.end());
  const std::vector<std::int64_t> sizes = areas::FileSizes(platform_, paths);
  erasure::BatchOptions batch;
  if (progress_) batch.progress = progressLine(paths, sizes);
  erasure::WipeReport wiped = choice.wipe(options_.passes, batch);
  if (progress_) err_ << "\r\033[K" << std::flush;
  if (wiped.folderChanged)
    return refuse(choice.path() + " was moved or replaced after it was chosen; nothing was wiped");
  report(typed, wiped.results, sizes);
  return true;
}

WipeRun::Progress WipeRun::progressLine(const std::vector<std::string>& paths,
                                        const std::vector<std::int64_t>& sizes) {
  auto sizeOf = std::make_shared<std::unordered_map<std::string, std::int64_t>>();
  std::int64_t total = 0;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    (*sizeOf)[paths[i]] = sizes[i];
    total += sizes[i];
  }
  return [this, sizeOf, total, done = std::int64_t{0}](std::int64_t files, std::int64_t count,
                                                       const std::string& path) mutable {
    err_ << "\r\033[Kwiped " << files << " of " << count << " files, " << core::byteText(done)
         << " of " << core::byteText(total) << std::flush;
    // The file now under way counts once it is done.
    if (auto it = sizeOf->find(path); it != sizeOf->end()) done += it->second;
  };
}

void WipeRun::report(const std::string& typed, const std::vector<WipeResult>& results,
                     const std::vector<std::int64_t>& sizes) {
  std::int64_t wiped = 0, removedOnly = 0, left = 0, gone = 0, wipedBytes = 0;
  for (std::size_t i = 0; i < results.size(); ++i) {
    const WipeResult& result = results[i];
    if (result.destroyed()) {
      ++wiped;
      wipedBytes += sizes[i];
    } else if (result.removed()) {
      ++removedOnly;
    } else if (result.outcome == WipeOutcome::Missing) {
      ++gone;
    } else {
      ++left;
    }
    // Only what was overwritten and removed (or a link, removed) is done.
    failed_ = failed_ || !result.complete();
  }
  out_ << typed << ": " << wiped << " wiped (" << core::byteText(wipedBytes) << ", "
       << options_.passes << (options_.passes == 1 ? " pass" : " passes") << "), " << removedOnly
       << " removed without overwriting, " << left << " could not be wiped";
  if (gone > 0) out_ << ", " << gone << " gone before they could be wiped";
  out_ << "\n";
  for (const WipeResult& result : results) {
    if (result.destroyed() || result.outcome == WipeOutcome::Missing) continue;
    out_ << "  " << fileLineWords(result) << result.path << ": " << result.reason << "\n";
  }
}

}  // namespace

int runWipe(const Options& options, platform::System& platform, const std::string& workingFolder,
            std::ostream& out, std::ostream& err, bool showProgress) {
  WipeRun run(options, platform, out, err, showProgress);
  bool allDone = true;
  for (const std::string& typed : options.paths) {
    // Resolved against the working folder as typed; the system resolves
    // "." and ".." the way it resolves them for every program.
    const std::string absolute = platform::withoutTrailingSeparators(
        platform::isAbsolutePath(typed) ? typed : platform::joinPath(workingFolder, typed));
    allDone = run.wipePath(typed, absolute) && allDone;
  }
  return allDone && !run.failed() ? 0 : 1;
}

}  // namespace cli
