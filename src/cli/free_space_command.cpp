#include "cli/free_space_command.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <nlohmann/json.hpp>
#include <ostream>

#include "core/free_space_report.h"
#include "platform/paths.h"

namespace cli {

namespace {

std::atomic<bool> stopRequested{false};

void requestStop(int) {
  stopRequested.store(true);
}

// Ctrl+C and SIGTERM end the fill the proper way: the space is given back
// and the report says the run was stopped. ISO C's signal, which both
// systems have (a console's Ctrl+C arrives as SIGINT on Windows too).
class StopOnSignal {
 public:
  StopOnSignal()
      : oldInt_((stopRequested.store(false), std::signal(SIGINT, requestStop))),
        oldTerm_(std::signal(SIGTERM, requestStop)) {}
  ~StopOnSignal() {
    std::signal(SIGINT, oldInt_);
    std::signal(SIGTERM, oldTerm_);
  }
  StopOnSignal(const StopOnSignal&) = delete;
  StopOnSignal& operator=(const StopOnSignal&) = delete;

 private:
  using Handler = void (*)(int);
  Handler oldInt_;
  Handler oldTerm_;
};

// "written 1.2 GiB of 40.0 GiB, 180.0 MiB/s, about 4 min left", at most
// five times a second.
std::function<void(std::int64_t, std::int64_t)> progressLine(std::ostream& err) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  return
      [&err, start, shown = Clock::time_point()](std::int64_t written, std::int64_t total) mutable {
        const Clock::time_point now = Clock::now();
        if (now - shown < std::chrono::milliseconds(200)) return;
        shown = now;
        const double seconds = std::chrono::duration<double>(now - start).count();
        err << "\r\033[Kwritten " << core::fillProgressText(written, total, seconds);
        err << std::flush;
      };
}

void reportText(const std::string& typed, const platform::FreeSpaceDrive& drive,
                const platform::FreeSpaceResult& result, int passes, std::ostream& out) {
  out << typed << ": " << core::freeSpaceSummary(drive, result, passes) << "\n";
}

void reportJson(const std::string& typed, const platform::FreeSpaceDrive& drive,
                const platform::FreeSpaceResult& result, int passes, std::ostream& out) {
  nlohmann::ordered_json root;
  root["path"] = typed;
  root["mountPoint"] = drive.mountPoint;
  root["fileSystem"] = drive.fileSystem;
  root["freeBytes"] = drive.freeBytes;
  root["reservedBytes"] = drive.reservedBytes;
  root["bytesWritten"] = result.bytesWritten;
  root["passes"] = passes;
  root["passesDone"] = result.passesDone;
  root["inodesReached"] = result.inodesReached;
  root["inodesNotReached"] = result.inodesNotReached;
  root["bytesHeldBack"] = result.bytesHeldBack;
  root["fillSeconds"] = result.fillSeconds;
  root["cancelled"] = result.cancelled;
  root["ok"] = drive.refusal.empty() && result.ok();
  root["failure"] = drive.refusal.empty() ? result.failure : drive.refusal;
  root["notes"] = drive.notes;
  out << root.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
}

}  // namespace

int runWipeFreeSpace(const Options& options, const FreeSpaceOpener& open,
                     const std::string& workingFolder, std::ostream& out, std::ostream& err,
                     bool showProgress) {
  const std::string& typed = options.paths.front();
  const bool typedAbsolute = platform::isAbsolutePath(typed);
  if (!typedAbsolute && workingFolder.empty()) {
    err << "tracesweep: the working folder cannot be read; nothing was written\n";
    return 1;
  }
  const std::string absolute = typedAbsolute ? typed : platform::joinPath(workingFolder, typed);
  std::unique_ptr<platform::FreeSpaceWipe> wipe = open(absolute);
  const platform::FreeSpaceDrive& drive = wipe->drive();
  platform::FreeSpaceResult result;
  if (drive.refusal.empty()) {
    StopOnSignal stop;
    platform::FreeSpaceOptions fill;
    fill.passes = options.passes;
    fill.includeReserved = options.includeReserved;
    fill.cancel = &stopRequested;
    if (showProgress) fill.progress = progressLine(err);
    result = wipe->run(fill);
    if (showProgress) err << "\r\033[K" << std::flush;
  } else if (!options.json) {
    err << "tracesweep: " << drive.refusal << "; nothing was written\n";
  }
  if (options.json)
    reportJson(typed, drive, result, options.passes, out);
  else if (drive.refusal.empty())
    reportText(typed, drive, result, options.passes, out);
  out.flush();
  const bool done = drive.refusal.empty() && result.ok();
  return done && out.good() ? 0 : 1;
}

}  // namespace cli
