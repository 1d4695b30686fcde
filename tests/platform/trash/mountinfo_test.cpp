#include "platform/linux/trash/mountinfo.h"

#include <gtest/gtest.h>

namespace platform::linux_os {
namespace {

TEST(MountInfo, ParsesFieldsAroundOptionalTags) {
  auto mounts = ParseMountInfo(
      "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw,discard\n"
      "36 35 98:0 /mnt1 /mnt/parent rw,noatime master:1 shared:7 - ext3 /dev/root rw,errors=ro\n"
      "40 27 0:50 / /media/usb ro,nosuid - vfat /dev/sdb1 rw\n"
      "41 27 8:1 / /cd rw - iso9660 /dev/sr0 ro\n");
  ASSERT_EQ(mounts.size(), 4u);
  EXPECT_EQ(mounts[0].mountPoint, "/");
  EXPECT_EQ(mounts[0].fsType, "ext4");
  EXPECT_EQ(mounts[0].source, "/dev/vda");
  EXPECT_FALSE(mounts[0].readOnly());
  EXPECT_EQ(mounts[1].mountPoint, "/mnt/parent");
  EXPECT_EQ(mounts[1].fsType, "ext3");
  EXPECT_FALSE(mounts[1].readOnly()) << "errors=ro is not the ro option";
  EXPECT_TRUE(mounts[2].readOnly());
  EXPECT_TRUE(mounts[3].readOnly()) << "a read-only file system counts too";
}

TEST(MountInfo, UnescapesOctalEscapesInMountPoints) {
  auto mounts =
      ParseMountInfo("50 27 8:1 / /media/My\\040Disk\\011x\\134y rw - ext4 /dev/sd\\040c rw\n");
  ASSERT_EQ(mounts.size(), 1u);
  EXPECT_EQ(mounts[0].mountPoint, "/media/My Disk\tx\\y");
  EXPECT_EQ(mounts[0].source, "/dev/sd c");
  // A backslash not followed by three octal digits stays as it is.
  EXPECT_EQ(UnescapeMountField("a\\09b\\"), "a\\09b\\");
  EXPECT_EQ(UnescapeMountField("\\000x"), "\\000x");
}

TEST(MountInfo, DropsMalformedLinesAndKeepsTheRest) {
  auto mounts = ParseMountInfo(
      "\n"
      "garbage\n"
      "1 0 8:1 / /no-separator rw ext4 /dev/x rw extra more\n"
      "1 0 8:1 / /no-type rw -\n"
      "1 0 8:1 / relative rw - ext4 /dev/x rw\n"
      "2 0 8:2 / /good rw - xfs  rw\n"
      "3 0 8:3 / /last rw - btrfs /dev/y rw");
  ASSERT_EQ(mounts.size(), 2u);
  EXPECT_EQ(mounts[0].mountPoint, "/good");
  EXPECT_EQ(mounts[0].source, "") << "an empty source stays a field";
  EXPECT_EQ(mounts[0].superOptions, "rw");
  EXPECT_EQ(mounts[1].mountPoint, "/last");
}

TEST(MountInfo, ReadsTheLiveTable) {
  auto mounts = ReadMountInfo("/proc/self/mountinfo");
  bool root = false;
  for (const auto& m : mounts) root = root || m.mountPoint == "/";
  EXPECT_TRUE(root);
  EXPECT_TRUE(ReadMountInfo("/nonexistent/mountinfo").empty());
}

TEST(MountInfo, PseudoFileSystems) {
  for (const char* type : {"proc", "sysfs", "cgroup2", "devpts", "autofs", "binfmt_misc"})
    EXPECT_TRUE(IsPseudoFileSystem(type)) << type;
  for (const char* type : {"ext4", "tmpfs", "btrfs", "vfat", "fuse.sshfs", "overlay"})
    EXPECT_FALSE(IsPseudoFileSystem(type)) << type;
}

}  // namespace
}  // namespace platform::linux_os
