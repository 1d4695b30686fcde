// Paths as Windows writes them: "\" written, both separators read, a drive's
// root kept whole.
#include "platform/paths.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowsPaths, WrittenWithBackslashReadAtEitherSeparatorAndDriveRootsKept) {
  EXPECT_EQ(platform::joinPath("C:\\Users\\ann\\Cookies", "name.txt"),
            "C:\\Users\\ann\\Cookies\\name.txt");
  EXPECT_EQ(platform::joinPath("C:\\", "temp"), "C:\\temp");
  EXPECT_EQ(platform::pathBelow("C:\\Temp", "sub/deeper/file.tmp"),
            "C:\\Temp\\sub\\deeper\\file.tmp");
  EXPECT_EQ(platform::fileNameOf("C:\\Users\\ann/Cookies\\name.txt"), "name.txt");
  EXPECT_EQ(platform::fileNameOf("C:\\Users\\ann\\Cookies/name.txt"), "name.txt");
  EXPECT_EQ(platform::folderOf("C:\\Users\\ann/file"), "C:\\Users\\ann");
  EXPECT_EQ(platform::folderOf("C:\\file"), "C:\\");
  EXPECT_TRUE(platform::isAbsolutePath("C:\\Users"));
  EXPECT_TRUE(platform::isAbsolutePath("d:/data"));
  EXPECT_TRUE(platform::isAbsolutePath("\\\\server\\share"));
  EXPECT_FALSE(platform::isAbsolutePath("C:relative"));
  EXPECT_FALSE(platform::isAbsolutePath("Users\\ann"));
  EXPECT_EQ(platform::withoutTrailingSeparators("C:\\Temp\\/"), "C:\\Temp");
  EXPECT_EQ(platform::withoutTrailingSeparators("C:\\"), "C:\\");
}

}  // namespace
