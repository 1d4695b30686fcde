// The tracesweep program built without a view: the command line alone.
#include <csignal>

#include "cli/cli.h"

int main(int argc, char** argv) {
  // A reader that went away (a closed pipe) is a report not written, told
  // by the exit status, never a silent death half-way through a run.
  std::signal(SIGPIPE, SIG_IGN);
  return cli::runCommandLine(argc, argv);
}
