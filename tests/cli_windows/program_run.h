// The Windows program started as a console starts it: its arguments, its
// output and error streams read through pipes, its exit status.
#pragma once

#include <string>

struct ProgramRun {
  unsigned long status = 0;
  std::string out;
  std::string err;
};

// Runs the program built beside the tests with the arguments (one command
// line, as a console passes it) and waits for its end.
ProgramRun runProgram(const std::string& arguments);
