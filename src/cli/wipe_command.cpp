#include "cli/wipe_command.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <ostream>

#include "app/run_report.h"
#include "areas/wipe_outcome.h"
#include "erase/enum_files.h"
#include "erase/secure_wipe.h"
#include "erase/system_folders.h"

namespace cli {

namespace {

using erasure::WipeOutcome;
using erasure::WipeResult;

struct Tally {
  std::int64_t wiped = 0, removedOnly = 0, left = 0, gone = 0;
  std::int64_t wipedBytes = 0;
};

class WipeRun {
 public:
  WipeRun(const Options& options, platform::Platform& platform, std::ostream& out,
          std::ostream& err, bool showProgress)
      : options_(options), platform_(platform), out_(out), err_(err), progress_(showProgress) {}

  // false when the path was refused or could not be reached.
  bool wipePath(const std::string& typed, const std::string& absolute);
  bool failed() const { return failed_; }

 private:
  bool wipeFolder(const std::string& typed, const std::string& folder);
  void report(const std::string& typed, const std::vector<WipeResult>& results,
              const std::vector<std::int64_t>& sizes);
  using Progress = std::function<void(std::int64_t, std::int64_t, const std::string&)>;
  Progress progressLine(const std::vector<std::int64_t>& sizes);

  const Options& options_;
  platform::Platform& platform_;
  std::ostream& out_;
  std::ostream& err_;
  bool progress_;
  bool failed_ = false;
};

std::string resolvedFolder(const std::string& path) {
  char buffer[PATH_MAX];
  return realpath(path.c_str(), buffer) ? std::string(buffer) : std::string();
}

bool WipeRun::wipePath(const std::string& typed, const std::string& absolute) {
  struct stat st {};
  if (lstat(absolute.c_str(), &st) != 0) {
    err_ << "tracesweep: " << typed << ": no such file or folder; nothing was wiped\n";
    return false;
  }
  if (S_ISLNK(st.st_mode)) {
    std::error_code ignored;
    err_ << "tracesweep: " << typed << " is a link to "
         << std::filesystem::read_symlink(absolute, ignored).string()
         << "; nothing was wiped (name the file or folder itself)\n";
    return false;
  }
  if (S_ISDIR(st.st_mode)) return wipeFolder(typed, absolute);
  const std::vector<std::string> paths{absolute};
  const std::vector<std::int64_t> sizes = areas::FileSizes(platform_, paths);
  report(typed, {erasure::WipeFile(platform_, absolute, options_.passes)}, sizes);
  return true;
}

bool WipeRun::wipeFolder(const std::string& typed, const std::string& absolute) {
  const std::string folder = resolvedFolder(absolute);
  if (folder.empty()) {
    err_ << "tracesweep: " << typed << ": the folder cannot be reached; nothing was wiped\n";
    return false;
  }
  if (erasure::IsWholeSystemFolder(folder, platform_.files.homeFolder()) && !options_.yesReally) {
    err_ << "tracesweep: " << folder
         << " is a whole system folder or holds your home folder; nothing was wiped (add "
            "--yes-really to wipe it all the same)\n";
    return false;
  }
  erasure::FileList list;
  try {
    erasure::EnumFiles(platform_, list, folder);
  } catch (const erasure::EnumError& error) {
    err_ << "tracesweep: " << typed << ": " << error.what() << "; nothing was wiped\n";
    return false;
  }
  const std::vector<std::string> paths(list.entries.begin() + 1, list.entries.end());
  const std::vector<std::int64_t> sizes = areas::FileSizes(platform_, paths);
  erasure::BatchOptions batch;
  batch.root = folder;
  if (progress_) batch.progress = progressLine(sizes);
  std::vector<WipeResult> results = erasure::WipeFiles(platform_, paths, options_.passes, batch);
  if (progress_) err_ << "\r\033[K" << std::flush;
  report(typed, results, sizes);
  return true;
}

WipeRun::Progress WipeRun::progressLine(const std::vector<std::int64_t>& sizes) {
  std::int64_t total = 0;
  for (std::int64_t size : sizes) total += size;
  return [this, &sizes, total, done = std::int64_t{0}](std::int64_t index, std::int64_t count,
                                                       const std::string&) mutable {
    if (index > 0) done += sizes[static_cast<std::size_t>(index - 1)];
    err_ << "\r\033[Kwiping file " << index + 1 << " of " << count << ", " << app::byteText(done)
         << " of " << app::byteText(total) << std::flush;
  };
}

void WipeRun::report(const std::string& typed, const std::vector<WipeResult>& results,
                     const std::vector<std::int64_t>& sizes) {
  Tally tally;
  for (std::size_t i = 0; i < results.size(); ++i) {
    switch (results[i].outcome) {
      case WipeOutcome::Wiped:
        ++tally.wiped;
        tally.wipedBytes += sizes[i];
        break;
      case WipeOutcome::Deleted:
      case WipeOutcome::LinkRemoved:
        ++tally.removedOnly;
        break;
      case WipeOutcome::Missing:
        ++tally.gone;
        break;
      default:
        ++tally.left;
        break;
    }
  }
  out_ << typed << ": " << tally.wiped << " wiped (" << app::byteText(tally.wipedBytes) << ", "
       << options_.passes << (options_.passes == 1 ? " pass" : " passes") << "), "
       << tally.removedOnly << " removed without overwriting, " << tally.left
       << " could not be wiped";
  if (tally.gone > 0) out_ << ", " << tally.gone << " gone before they could be wiped";
  out_ << "\n";
  for (const WipeResult& result : results)
    if (result.outcome != WipeOutcome::Wiped && result.outcome != WipeOutcome::Missing)
      out_ << "  "
           << (result.outcome == WipeOutcome::Deleted || result.outcome == WipeOutcome::LinkRemoved
                   ? "removed without overwriting: "
                   : "not wiped: ")
           << result.path << ": " << result.reason << "\n";
  failed_ = failed_ || tally.left > 0;
}

}  // namespace

int runWipe(const Options& options, platform::Platform& platform, const std::string& workingFolder,
            std::ostream& out, std::ostream& err, bool showProgress) {
  WipeRun run(options, platform, out, err, showProgress);
  bool allDone = true;
  for (const std::string& typed : options.paths) {
    // Resolved against the working folder as typed; the system resolves
    // "." and ".." the way it resolves them for every program.
    std::string absolute = typed.front() == '/' ? typed : workingFolder + "/" + typed;
    while (absolute.size() > 1 && absolute.back() == '/') absolute.pop_back();
    allDone = run.wipePath(typed, absolute) && allDone;
  }
  return allDone && !run.failed() ? 0 : 1;
}

}  // namespace cli
