// The tracesweep program built without a view: the command line alone.
#include "cli/cli.h"

int main(int argc, char** argv) {
  return cli::runCommandLine(argc, argv);
}
