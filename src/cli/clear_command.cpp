#include "cli/clear_command.h"

#include <ostream>

#include "cli/report_json.h"
#include "core/clearing.h"

namespace cli {

int runClear(const Options& options, platform::System& system, const core::Stores& stores,
             platform::RunLog* log, std::ostream& out, std::ostream& err, bool showProgress) {
  core::ClearChoices choices = core::storedChoices(system.settings);
  if (options.secure) choices.secure = true;
  const std::vector<core::Area> areas =
      options.chosen ? core::storedAreas(system.settings) : options.areas;

  core::AreaSources sources(system, stores);
  core::Clearing clearing(system, sources);
  core::RunReport report = clearing.run(areas, options.dryRun, choices, [&](core::Area area) {
    if (showProgress) err << "\r\033[K" << core::stepText(area, options.dryRun) << std::flush;
  });
  if (showProgress) err << "\r\033[K" << std::flush;
  report.trigger = "command line";

  // The log first, so that what is printed says whether the log has it: the
  // two never disagree. A report that did not reach its reader (a full
  // disk, a closed pipe) is something asked for and not done: the status
  // says so, and the log has the run all the same.
  if (log && !options.dryRun) report.logProblem = log->add(core::logEntry(report)).problem;
  out << (options.json ? reportJson(report) : core::reportText(report, options.dryRun));
  out.flush();
  bool told = true;
  if (!out.good()) {
    err << "tracesweep: the report could not be written\n";
    told = false;
  }
  if (!report.logProblem.empty()) err << "tracesweep: " << core::logProblemText(report) << "\n";
  return report.ok() && told ? 0 : 1;
}

}  // namespace cli
