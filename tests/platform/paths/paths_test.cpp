// Paths as Linux writes them: "/" only; a backslash is part of a name.
#include "platform/paths.h"

#include <gtest/gtest.h>

namespace {

TEST(LinuxPaths, OnlySlashSeparatesAndTheRootIsKept) {
  EXPECT_EQ(platform::joinPath("/home/ann/", "/notes"), "/home/ann/notes");
  EXPECT_EQ(platform::pathBelow("/tmp", "a/b"), "/tmp/a/b");
  EXPECT_EQ(platform::fileNameOf("/home/ann/odd\\name"), "odd\\name");
  EXPECT_EQ(platform::folderOf("/home/ann/odd\\name"), "/home/ann");
  EXPECT_EQ(platform::folderOf("/file"), "/");
  EXPECT_EQ(platform::folderOf("file"), "");
  EXPECT_FALSE(platform::isAbsolutePath("C:\\Users"));
  EXPECT_EQ(platform::withoutTrailingSeparators("/"), "/");
  EXPECT_EQ(platform::withoutTrailingSeparators("/tmp//"), "/tmp");
}

}  // namespace
