#include "cli/cli.h"

#include <iostream>
#include <string>

#include "browsers/stores/browser_stores.h"
#include "cli/clear_command.h"
#include "cli/free_space_command.h"
#include "cli/help_text.h"
#include "cli/keep_command.h"
#include "cli/options.h"
#include "cli/wipe_command.h"
#include "platform/system.h"

namespace cli {

namespace {

int runParsed(const Options& options) {
  const auto system = platform::openSystemServices();
  platform::Process& process = system->system().process;
  const bool progress = process.errorIsTerminal();
  if (options.command == Command::WipeFreeSpace) {
    const platform::FreeSpaceOpener& open = system->system().freeSpace;
    if (!open) {
      std::cerr << "tracesweep: free space cannot be wiped on this system\n";
      return 1;
    }
    return runWipeFreeSpace(options, open, process.workingFolder(), std::cout, std::cerr, progress);
  }
  platform::System& services = system->system();
  if (options.command == Command::Wipe) {
    const std::string here = process.workingFolder();
    if (here.empty()) {
      std::cerr << "tracesweep: the working folder cannot be read; nothing was wiped\n";
      return 1;
    }
    return runWipe(options, services, here, std::cout, std::cerr, progress);
  }
  browsers::BrowserStores browsers(services.files);
  switch (options.command) {
    case Command::Keep:
    case Command::Unkeep:
    case Command::Kept:
    case Command::KeepFromBrowsers:
      return runKeep(options, services.settings, browsers.stores(), std::cout, std::cerr);
    default:
      break;
  }
  return runClear(options, services, browsers.stores(), system->runLog(), std::cout, std::cerr,
                  progress);
}

}  // namespace

int runCommandLine(int argc, char** argv) {
  const ParseResult parsed = parseOptions(argc, argv);
  if (!parsed.ok()) {
    std::cerr << "tracesweep: " << parsed.error << "\nTry 'tracesweep --help'.\n";
    return 2;
  }
  const Options& options = parsed.options;
  switch (options.command) {
    case Command::Help:
      std::cout << helpText();
      return 0;
    case Command::Version:
      std::cout << versionText();
      return 0;
    default:
      break;
  }
  try {
    const int status = runParsed(options);
    // Whatever a command printed must have reached its reader.
    std::cout.flush();
    if (status == 0 && !std::cout.good()) {
      std::cerr << "tracesweep: the report could not be written\n";
      return 1;
    }
    return status;
  } catch (const std::exception& error) {
    // Whatever stopped the run is said; the exit status tells a script.
    std::cerr << "tracesweep: " << error.what() << "; the run was stopped\n";
    return 1;
  }
}

}  // namespace cli
