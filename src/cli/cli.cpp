#include "cli/cli.h"

#include <unistd.h>

#include <cerrno>
#include <iostream>
#include <string>

#include "browsers/browser_stores.h"
#include "cli/clear_command.h"
#include "cli/free_space_command.h"
#include "cli/help_text.h"
#include "cli/options.h"
#include "cli/wipe_command.h"
#include "platform/linux/files/free_space_fill.h"
#include "platform/system.h"

namespace cli {

namespace {

std::string workingFolder() {
  std::string buffer(4096, '\0');
  while (!getcwd(buffer.data(), buffer.size())) {
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
  return buffer.c_str();
}

int runParsed(const Options& options) {
  const bool progress = isatty(STDERR_FILENO) == 1;
  if (options.command == Command::WipeFreeSpace) {
    const std::string here = workingFolder();
    return runWipeFreeSpace(
        options,
        [](const std::string& folder) {
          return platform::linux_os::LinuxFreeSpaceWipe::open(folder);
        },
        here, std::cout, std::cerr, progress);
  }
  const auto system = platform::openSystemServices();
  platform::System& services = system->system();
  if (options.command == Command::Wipe) {
    const std::string here = workingFolder();
    if (here.empty()) {
      std::cerr << "tracesweep: the working folder cannot be read; nothing was wiped\n";
      return 1;
    }
    return runWipe(options, services, here, std::cout, std::cerr, progress);
  }
  browsers::BrowserStores browsers;
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
    return runParsed(options);
  } catch (const std::exception& error) {
    // Whatever stopped the run is said; the exit status tells a script.
    std::cerr << "tracesweep: " << error.what() << "; the run was stopped\n";
    return 1;
  }
}

}  // namespace cli
