// The Windows program started as a console starts it, with arguments: it
// runs the command line, writes to the handles it was given and ends with
// the command line's exit status, with no window.
#include <gtest/gtest.h>

#include <string>

#include "program_run.h"

namespace {

TEST(ConsoleRun, HelpUsageErrorAndADryRunAnswerOnTheirStreamsWithTheirStatus) {
  const ProgramRun help = runProgram("--help");
  EXPECT_EQ(help.status, 0u);
  EXPECT_NE(help.out.find("--clear"), std::string::npos) << help.out;
  EXPECT_EQ(help.err, "");

  const ProgramRun wrong = runProgram("--no-such-option");
  EXPECT_EQ(wrong.status, 2u);
  EXPECT_EQ(wrong.out, "");
  EXPECT_NE(wrong.err.find("Try 'tracesweep --help'"), std::string::npos) << wrong.err;

  const ProgramRun dry = runProgram("--clear temp --dry-run");
  EXPECT_LE(dry.status, 1u) << dry.err;
  EXPECT_EQ(dry.out.rfind("temp: ", 0), 0u) << dry.out << dry.err;
}

}  // namespace
