// The one whole-file reader serves the settings files, which may be links a
// user made, and browser profiles, where a link is never followed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/linux/common/posix_files.h"
#include "temp_dir.h"

using platform::linux_os::AtLink;
using platform::linux_os::ReadStatus;
using platform::linux_os::readWholeFile;

TEST(WholeFileRead, LinksAreFollowedOnlyWhenAskedAndAFailedReadLeavesNothing) {
  testsupport::TempDir dir;
  const std::string target = dir.write("real", "content").string();
  const std::string link = dir.str() + "/link";
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  const std::string fifo = dir.str() + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);

  std::string out = "stale";
  EXPECT_EQ(readWholeFile(link, 64, out, AtLink::Follow), ReadStatus::Ok);
  EXPECT_EQ(out, "content");
  EXPECT_EQ(readWholeFile(link, 64, out, AtLink::Refuse), ReadStatus::Failed);
  EXPECT_EQ(out, "");
  EXPECT_FALSE(platform::linux_os::isRegularFile(link));

  out = "stale";
  EXPECT_EQ(readWholeFile(target, 3, out, AtLink::Refuse), ReadStatus::TooLarge);
  EXPECT_EQ(out, "");
  EXPECT_EQ(readWholeFile(fifo, 64, out, AtLink::Refuse), ReadStatus::NotRegular);  // no hang
  EXPECT_EQ(readWholeFile(target + "/below", 64, out, AtLink::Refuse), ReadStatus::Missing);
}
