#include "platform/linux/system/run_log_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "file_size_limit.h"
#include "temp_dir.h"

namespace fs = std::filesystem;

namespace platform::linux_os {
namespace {

TEST(RunLogFile, KeepsTheLastRunsInRotatedFilesUnderXdgStateHome) {
  testsupport::TempDir dir;
  testsupport::EnvGuard state("XDG_STATE_HOME", dir.str());
  RunLogFile log("", 120);
  EXPECT_EQ(log.path(), dir.str() + "/tracesweep/clear.log");
  for (int run = 1; run <= 12; ++run)
    ASSERT_TRUE(log.add("== run " + std::to_string(run) + std::string(40, '.')).added());
  const fs::path folder = dir.path() / "tracesweep";
  // 3 runs of about 50 bytes fill a file past 120 bytes; the newest runs are in clear.log.
  EXPECT_EQ(testsupport::readFile(folder / "clear.log").find("== run 10"), 0u);
  EXPECT_NE(testsupport::readFile(folder / "clear.log").find("== run 12"), std::string::npos);
  EXPECT_EQ(testsupport::readFile(folder / "clear.log.1").find("== run 7"), 0u);
  EXPECT_EQ(testsupport::readFile(folder / "clear.log.3").find("== run 1."), 0u);
  EXPECT_FALSE(fs::exists(folder / "clear.log.4"));
  EXPECT_EQ(fs::status(folder / "clear.log").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
}

// A full disk that takes only part of an entry (as tmpfs does) must not
// leave half of it for the next entry to be glued to.
TEST(RunLogFile, AnEntryCutShortIsTakenBackAndTheFailureReturned) {
  testsupport::TempDir dir;
  RunLogFile log(dir.str());
  ASSERT_TRUE(log.add("== run 1").added());
  const std::string first = testsupport::readFile(log.path());
  {
    // Writes past this size fail (EFBIG) after a short write, as on a full disk.
    testsupport::FileSizeLimit limit(first.size() + 10);
    EXPECT_FALSE(log.add("== run 2 " + std::string(200, '.')).added());
  }
  EXPECT_EQ(testsupport::readFile(log.path()), first);
  ASSERT_TRUE(log.add("== run 3").added());
  EXPECT_EQ(testsupport::readFile(log.path()), first + "== run 3\n");
}

}  // namespace
}  // namespace platform::linux_os
