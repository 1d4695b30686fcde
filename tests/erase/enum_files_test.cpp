#include "erase/enum_files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "real_files_platform.h"
#include "temp_dir.h"

namespace fs = std::filesystem;

namespace {

// Removes a chain of nested "d" folders too deep for full paths, one level
// at a time from the top.
void removeDeepChain(const std::string& root) {
  int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
  while (true) {
    int d = openat(fd, "d", O_RDONLY | O_DIRECTORY);
    if (d < 0) break;
    bool deeper = faccessat(d, "d", F_OK, 0) == 0;
    if (deeper) renameat(d, "d", fd, "x");
    close(d);
    unlinkat(fd, "d", AT_REMOVEDIR);
    if (!deeper) break;
    renameat(fd, "x", fd, "d");
  }
  close(fd);
}

class EnumFilesTest : public ::testing::Test {
 protected:
  erasetest::RealFilesPlatform real;
  testsupport::TempDir dir;
  erasure::FileList list;

  std::vector<std::string> listed(const std::string& folder) {
    list.reset();
    erasure::EnumFiles(real.bundle, list, folder);
    return {list.entries.begin() + 1, list.entries.end()};
  }
};

TEST_F(EnumFilesTest, ListsFilesDepthFirstWithTheFolderNormalised) {
  dir.write("a.txt", "a");
  dir.write("s/b.txt", "b");
  dir.write("s/t/c.txt", "c");
  dir.write(".hidden", "h");
  fs::create_directories(dir.path() / "empty");
  auto withSlash = listed(dir.str() + "/");
  EXPECT_EQ(listed(dir.str()), withSlash);
  EXPECT_EQ(list.entries[0], "");
  EXPECT_EQ(std::set<std::string>(withSlash.begin(), withSlash.end()),
            (std::set<std::string>{dir.str() + "/a.txt", dir.str() + "/s/b.txt",
                                   dir.str() + "/s/t/c.txt", dir.str() + "/.hidden"}));
  // A sub-folder's files come together, deepest inside their parent's run.
  auto pos = [&](const std::string& rel) {
    return std::find(withSlash.begin(), withSlash.end(), dir.str() + "/" + rel) - withSlash.begin();
  };
  EXPECT_EQ(std::abs(pos("s/b.txt") - pos("s/t/c.txt")), 1);
}

TEST_F(EnumFilesTest, EmptyMissingAndEmptyNameListNothing) {
  EXPECT_TRUE(listed(dir.str()).empty());
  EXPECT_EQ(list.lastIndex(), 0);
  EXPECT_TRUE(listed(dir.str() + "/absent").empty());
  EXPECT_TRUE(listed("").empty());  // never the whole file system
  EXPECT_TRUE(real.fakes.msgbox.shown.empty());
}

TEST_F(EnumFilesTest, LinksAreListedNeverEntered) {
  testsupport::TempDir outside;
  outside.write("secret", "s");
  outside.write("sub/deep", "d");
  dir.write("a", "a");
  fs::create_directory_symlink(outside.path(), dir.path() / "to-outside");
  fs::create_directory_symlink(dir.path(), dir.path() / "loop");
  fs::create_symlink(outside.path() / "secret", dir.path() / "file-link");
  auto files = listed(dir.str());
  EXPECT_EQ(std::set<std::string>(files.begin(), files.end()),
            (std::set<std::string>{dir.str() + "/a", dir.str() + "/to-outside", dir.str() + "/loop",
                                   dir.str() + "/file-link"}));
  // A folder named through a link is not entered either.
  EXPECT_TRUE(listed((dir.path() / "to-outside").string()).empty());
}

TEST_F(EnumFilesTest, DeepTreesDoNotExhaustTheStackOrDescriptors) {
  // Built relative to the previous level: the full path is far beyond PATH_MAX.
  int fd = open(dir.str().c_str(), O_RDONLY | O_DIRECTORY);
  for (int i = 0; i < 2100; ++i) {
    ASSERT_EQ(mkdirat(fd, "d", 0700), 0);
    int next = openat(fd, "d", O_RDONLY | O_DIRECTORY);
    close(fd);
    fd = next;
  }
  ASSERT_EQ(close(openat(fd, "bottom", O_CREAT | O_WRONLY, 0600)), 0);
  close(fd);
  dir.write("top", "t");
  auto files = listed(dir.str());
  removeDeepChain(dir.str());
  ASSERT_EQ(files.size(), 2u);
  std::string bottom = dir.str() + "/";
  for (int i = 0; i < 2100; ++i) bottom += "d/";
  EXPECT_EQ(std::set<std::string>(files.begin(), files.end()),
            (std::set<std::string>{dir.str() + "/top", bottom + "bottom"}));
}

TEST(EnumFilesListTest, HoldsFarMoreThan32767Files) {
  forms::fake::FakePlatform fake;
  auto& entries = fake.files.folders["/big/"];
  for (int i = 0; i < 40000; ++i) entries.push_back({"f" + std::to_string(i), 0});
  erasure::FileList list;
  forms::Platform bundle = fake.platform();
  erasure::EnumFiles(bundle, list, "/big");
  ASSERT_EQ(list.lastIndex(), 40000);
  EXPECT_EQ(list[40000], "/big/f39999");
  list.reset();
  EXPECT_EQ(list.lastIndex(), 0);
}

TEST_F(EnumFilesTest, TrimNullCutsAtTheFirstNul) {
  EXPECT_EQ(erasure::TrimNull(std::string("abc\0def", 7)), "abc");
  EXPECT_EQ(erasure::TrimNull("abc"), "abc");
  EXPECT_EQ(erasure::TrimNull(std::string("\0x", 2)), "");
}

}  // namespace
