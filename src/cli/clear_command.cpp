#include "cli/clear_command.h"

#include <ostream>

#include "app/modmain.h"
#include "cli/report_json.h"

namespace cli {

int runClear(const Options& options, platform::Platform& platform, const core::Stores& stores,
             platform::RunLog* log, std::ostream& out, std::ostream& err, bool showProgress) {
  app::Modmain program(platform, stores);
  app::frmmain& main = program.prepareWithoutWindows();
  if (options.secure) main.wipe.chkSecureForAll.setValue(1);
  const std::vector<core::Area> areas = options.chosen ? program.chosenAreas() : options.areas;
  program.loadLists(areas);

  forms::Label progress{"progress"};
  if (showProgress)
    progress.setRefreshHandler(
        [&err, &progress] { err << "\r\033[K" << progress.Caption() << std::flush; });
  core::RunReport report = program.clearAreas(areas, options.dryRun, progress);
  if (showProgress) err << "\r\033[K" << std::flush;
  report.trigger = "command line";

  // A report that did not reach its reader (a full disk, a closed pipe) or
  // the log is something asked for and not done: the status says so.
  out << (options.json ? reportJson(report) : core::reportText(report, options.dryRun));
  out.flush();
  bool told = true;
  if (!out.good()) {
    err << "tracesweep: the report could not be written\n";
    told = false;
  }
  if (log && !options.dryRun && !log->add(core::logEntry(report))) {
    err << "tracesweep: the report could not be added to the log\n";
    told = false;
  }
  return report.ok() && told ? 0 : 1;
}

}  // namespace cli
