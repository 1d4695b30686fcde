// --wipe-free-space through the real drive survey: a refusal is said, with its
// reason, and ends with status 1.
#include "cli/free_space_command.h"

#include <gtest/gtest.h>
#include <linux/magic.h>
#include <sys/vfs.h>

#include <sstream>

#include "platform/linux/files/free_space_fill.h"

namespace {

TEST(WipeFreeSpaceCommand, ARefusedDriveIsSaidWithItsReasonAndExitsWith1) {
  struct statfs st {};
  if (statfs("/dev/shm", &st) != 0 || st.f_type != TMPFS_MAGIC)
    GTEST_SKIP() << "/dev/shm is not a tmpfs here";
  cli::Options options;
  options.command = cli::Command::WipeFreeSpace;
  options.paths = {"/dev/shm"};
  std::ostringstream out, err;
  const int status = cli::runWipeFreeSpace(
      options,
      [](const std::string& folder) {
        return platform::linux_os::LinuxFreeSpaceWipe::open(folder);
      },
      "/", out, err, false);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out.str(), "");
  EXPECT_NE(err.str().find("tmpfs, which lives in memory"), std::string::npos) << err.str();
  EXPECT_NE(err.str().find("nothing was written"), std::string::npos);

  options.json = true;
  std::ostringstream json;
  EXPECT_EQ(cli::runWipeFreeSpace(
                options,
                [](const std::string& folder) {
                  return platform::linux_os::LinuxFreeSpaceWipe::open(folder);
                },
                "/", json, err, false),
            1);
  EXPECT_NE(json.str().find("\"ok\": false"), std::string::npos) << json.str();
}

}  // namespace
