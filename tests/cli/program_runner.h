// Runs the real tracesweep program with an environment of the test's own.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

struct ProgramResult {
  int status = -1;
  std::string out, err;
};

// Runs the program with only the environment given, plus PATH and
// QT_QPA_PLATFORM=xcb: with no DISPLAY in it, a program that created
// anything of Qt's desktop view would fail to start.
ProgramResult runProgram(const std::vector<std::string>& args, const std::vector<std::string>& env);

}  // namespace testsupport
