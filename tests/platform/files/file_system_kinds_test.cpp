// One table says, for every kind of file system, whether an overwrite
// reaches the data; whatever it does not list is never taken to be one
// where it does.
#include "platform/linux/common/file_system_kinds.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "platform/linux/common/posix_fd.h"
#include "platform/linux/files/old_copies.h"
#include "platform/linux/trash/mountinfo.h"
#include "temp_dir.h"

namespace platform::linux_os {
namespace {

using enum FileSystemKind;

TEST(FileSystemKinds, WhatTheTableDoesNotKnowKeepsOldCopiesAndBothListsAgree) {
  // Unknown by magic or by name: never a kind where an overwrite reaches.
  EXPECT_EQ(fileSystemOfMagic(0x12345678).kind, KeepsOldCopies);
  FileSystemType newfs = fileSystemNamed("newfs");
  EXPECT_EQ(newfs.kind, KeepsOldCopies);
  EXPECT_EQ(newfs.name, "newfs");
  EXPECT_EQ(fileSystemNamed("fuse.sshfs").kind, KeepsOldCopies);

  EXPECT_EQ(fileSystemOfMagic(0xef53).kind, OverwriteReaches);
  EXPECT_TRUE(fileSystemOfMagic(0xef53).mayJournalData);
  EXPECT_EQ(fileSystemOfMagic(0x794c7630).name, "overlayfs");
  EXPECT_EQ(fileSystemOfMagic(0x794c7630).kind, KeepsOldCopies);
  EXPECT_EQ(fileSystemOfMagic(0x01021994).kind, InMemory);
  // Found by statfs in the wipe and by name in the trash's mount scan, the
  // kernel's interfaces are the same list.
  const struct {
    const char* type;
    unsigned long magic;
  } kernel[] = {{"binfmt_misc", 0x42494e4d}, {"hugetlbfs", 0x958458f6}, {"mqueue", 0x19800202},
                {"fusectl", 0x65735543},     {"proc", 0x9fa0},          {"efivarfs", 0xde5e81e4}};
  for (const auto& [type, magic] : kernel) {
    EXPECT_EQ(fileSystemOfMagic(magic).kind, HoldsNoFiles) << type;
    EXPECT_EQ(fileSystemOfMagic(magic).name, type);
    EXPECT_TRUE(IsPseudoFileSystem(type)) << type;
  }
}

// ext4 mounted with data=journal keeps the data in the journal too: the
// mount table's word turns the kind.
TEST(FileSystemKinds, DataJournalingReadFromTheMountTableKeepsOldCopies) {
  testsupport::TempDir dir;
  struct statfs fs {};
  ASSERT_EQ(statfs(dir.str().c_str(), &fs), 0);
  if (static_cast<unsigned long>(fs.f_type) != 0xef53) GTEST_SKIP() << "not on ext4 here";
  struct stat st {};
  ASSERT_EQ(stat(dir.str().c_str(), &st), 0);
  const std::string device =
      std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev));
  std::ofstream(dir.path() / "journaled")
      << "27 1 " << device << " / / rw,relatime - ext4 /dev/x rw,data=journal\n";
  std::ofstream(dir.path() / "ordered")
      << "27 1 " << device << " / / rw,relatime - ext4 /dev/x rw,data=ordered\n";
  UniqueFd fd(open(dir.str().c_str(), O_PATH | O_CLOEXEC));

  FileSystemsMet journaled((dir.path() / "journaled").string());
  EXPECT_EQ(journaled.of(st.st_dev, fd.get()).kind, KeepsOldCopies);
  EXPECT_EQ(journaled.of(st.st_dev, fd.get()).name, "ext4 with data=journal");
  FileSystemsMet ordered((dir.path() / "ordered").string());
  EXPECT_EQ(ordered.of(st.st_dev, fd.get()).kind, OverwriteReaches);
}

// So does a file whose own data is journaled (chattr +j).
TEST(FileSystemKinds, AFileWithTheJournalDataAttributeKeepsOldCopies) {
  testsupport::TempDir dir;
  struct statfs fs {};
  ASSERT_EQ(statfs(dir.str().c_str(), &fs), 0);
  if (static_cast<unsigned long>(fs.f_type) != 0xef53) GTEST_SKIP() << "not on ext4 here";
  std::ofstream(dir.path() / "file") << "data";
  struct stat st {};
  ASSERT_EQ(stat((dir.path() / "file").c_str(), &st), 0);
  FileSystemsMet ordered((dir.path() / "no-mount-table").string());
  UniqueFd file(open((dir.path() / "file").c_str(), O_RDONLY | O_CLOEXEC));
  EXPECT_EQ(ordered.forFile(st.st_dev, file.get()).kind, OverwriteReaches);
  int flags = 0;
  ASSERT_EQ(ioctl(file.get(), FS_IOC_GETFLAGS, &flags), 0);
  flags |= FS_JOURNAL_DATA_FL;
  if (ioctl(file.get(), FS_IOC_SETFLAGS, &flags) != 0)
    GTEST_SKIP() << "cannot set the journal-data attribute here: " << std::strerror(errno);
  EXPECT_EQ(ordered.forFile(st.st_dev, file.get()).kind, KeepsOldCopies);
}

}  // namespace
}  // namespace platform::linux_os
