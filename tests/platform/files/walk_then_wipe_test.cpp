// Wiping what a walk listed: everything below the walked folder is reached one
// name at a time, never through a link and never into another mount, while
// links in the part the caller named are the caller's and are followed.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <filesystem>
#include <vector>

#include "platform/linux/files/linux_file_layer.h"
#include "temp_dir.h"

namespace fs = std::filesystem;
using platform::OverwriteKind;
using platform::linux_os::LinuxFileLayer;
using testsupport::readFile;

namespace {

class WalkThenWipe : public ::testing::Test {
 protected:
  std::vector<std::string> walk(const fs::path& root) {
    std::vector<std::string> found;
    EXPECT_EQ(files.walkFiles(root.string() + "/",
                              [&](const std::string& relative) { found.push_back(relative); }),
              0);
    return found;
  }

  LinuxFileLayer files;
  testsupport::TempDir dir;
  testsupport::TempDir outside;
};

TEST_F(WalkThenWipe, AFolderSwappedForALinkAnywhereBelowTheWalkLeadsNowhere) {
  fs::path root = dir.path() / "tree";
  dir.write("tree/a/b/secret", "decoy");
  auto precious = outside.write("b/secret", "precious");
  ASSERT_EQ(walk(root), std::vector<std::string>{"a/b/secret"});
  fs::rename(root / "a", dir.path() / "a.old");
  fs::create_directory_symlink(outside.path(), root / "a");
  auto session = files.beginOverwrite({});
  EXPECT_EQ(session->open((root / "a/b/secret").string()).kind, OverwriteKind::Missing);
  // Nor can ".." climb out of the walked folder.
  EXPECT_EQ(session->open((root / "../a.old/b/secret").string()).kind, OverwriteKind::Failed);
  EXPECT_EQ(readFile(precious), "precious");
}

TEST_F(WalkThenWipe, LinksInTheFolderTheCallerNamedAreFollowedOnce) {
  dir.write("real/tree/sub/f", "data");
  fs::create_directory_symlink(dir.path() / "real", dir.path() / "alias");
  fs::path root = dir.path() / "alias" / "tree";
  ASSERT_EQ(walk(root), std::vector<std::string>{"sub/f"});
  auto session = files.beginOverwrite({});
  auto opened = session->open((root / "sub/f").string());
  ASSERT_EQ(opened.kind, OverwriteKind::Opened);
  opened.target->close();
  EXPECT_EQ(opened.target->remove(), 0);
  EXPECT_FALSE(fs::exists(dir.path() / "real/tree/sub/f"));
  // A single file the user named, with no walk: its links are theirs too.
  auto single = dir.write("real/other/g", "g");
  auto alone = files.beginOverwrite({});
  EXPECT_EQ(alone->open((dir.path() / "alias/other/g").string()).kind, OverwriteKind::Opened);
  EXPECT_EQ(readFile(single), "g");
}

TEST_F(WalkThenWipe, RemovalAfterCloseDoesNotFollowAFolderSwappedMeanwhile) {
  fs::path root = dir.path() / "tree";
  auto file = dir.write("tree/sub/f", "mine");
  auto precious = outside.write("f", "precious");
  walk(root);
  auto session = files.beginOverwrite({});
  auto opened = session->open(file.string());
  ASSERT_EQ(opened.kind, OverwriteKind::Opened);
  opened.target->close();  // a batch closes its files before it removes them
  fs::rename(root / "sub", dir.path() / "sub.old");
  fs::create_directory_symlink(outside.path(), root / "sub");
  EXPECT_NE(opened.target->remove(), 0);
  EXPECT_EQ(readFile(precious), "precious");
}

TEST_F(WalkThenWipe, AWalkedFolderReplacedSinceNoLongerGovernsWhatIsInIt) {
  fs::path root = dir.path() / "tree";
  dir.write("tree/f", "old");
  walk(root);
  fs::remove_all(root);
  auto file = dir.write("tree/g", "new");
  auto session = files.beginOverwrite({});
  EXPECT_EQ(session->open(file.string()).kind, OverwriteKind::Opened);
}

TEST_F(WalkThenWipe, AMountInsideTheFolderIsNeitherWalkedNorWiped) {
  fs::path root = dir.path() / "tree";
  dir.write("tree/own", "o");
  fs::create_directories(root / "usb");
  auto photo = outside.write("photo.jpg", "holiday");
  if (::mount(outside.path().c_str(), (root / "usb").c_str(), nullptr, MS_BIND, nullptr) != 0)
    GTEST_SKIP() << "cannot bind-mount here";
  struct Unmount {
    fs::path point;
    ~Unmount() { ::umount2(point.c_str(), MNT_DETACH); }
  } unmount{root / "usb"};
  EXPECT_EQ(walk(root), std::vector<std::string>{"own"});
  // Named by hand below the walked folder, it is still not reached.
  auto session = files.beginOverwrite({});
  EXPECT_EQ(session->open((root / "usb/photo.jpg").string()).kind, OverwriteKind::Failed);
  EXPECT_EQ(readFile(photo), "holiday");
}

}  // namespace
