// The command line of the tracesweep program. main hands every start with
// arguments to it before anything of the desktop view exists.
#pragma once

namespace cli {

// True when the program was started with arguments: the command line runs,
// not the tray program.
inline bool wantsCommandLine(int argc) {
  return argc > 1;
}

// Parses and runs the command line over the services of the system the
// program was built for, with no window, tray or display. Returns the exit status: 0 done, 1
// something could not be done, 2 usage error (nothing started).
int runCommandLine(int argc, char** argv);

}  // namespace cli
