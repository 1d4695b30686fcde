// The Windows run log keeps the last runs in rotated files, as on Linux.
#include "platform/windows/run_log_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "temp_dir.h"

namespace fs = std::filesystem;

namespace platform::windows_os {
namespace {

TEST(WindowsRunLogFile, KeepsTheLastRunsInRotatedFiles) {
  testsupport::TempDir dir;
  RunLogFile log(dir.str(), 120);
  for (int run = 1; run <= 12; ++run)
    ASSERT_TRUE(log.add("== run " + std::to_string(run) + std::string(40, '.')).added());
  // 3 runs of about 50 bytes fill a file past 120 bytes; the newest runs are in clear.log.
  EXPECT_EQ(testsupport::readFile(dir.path() / "clear.log").find("== run 10"), 0u);
  EXPECT_NE(testsupport::readFile(dir.path() / "clear.log").find("== run 12"), std::string::npos);
  EXPECT_EQ(testsupport::readFile(dir.path() / "clear.log.1").find("== run 7"), 0u);
  EXPECT_EQ(testsupport::readFile(dir.path() / "clear.log.3").find("== run 1."), 0u);
  EXPECT_FALSE(fs::exists(dir.path() / "clear.log.4"));
  EXPECT_NE(RunLogFile().path().find("\\Tracesweep\\clear.log"), std::string::npos);
}

}  // namespace
}  // namespace platform::windows_os
