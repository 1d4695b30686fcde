// Wiping what a walk listed: a session given the walked folder as its root
// reaches everything below it one name at a time, never through a link and
// never into another mount, while links in the root the caller named are the
// caller's and are followed. A session without a root remembers nothing of
// earlier walks.
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

  std::unique_ptr<platform::OverwriteSession> sessionFor(const fs::path& root) {
    platform::OverwriteOptions options;
    options.root = root.string() + "/";
    return files.beginOverwrite(options);
  }

  LinuxFileLayer files;
  testsupport::TempDir dir;
  testsupport::TempDir outside;
};

TEST_F(WalkThenWipe, AFolderSwappedForALinkAnywhereBelowTheRootLeadsNowhere) {
  fs::path root = dir.path() / "tree";
  dir.write("tree/a/b/secret", "decoy");
  auto precious = outside.write("b/secret", "precious");
  ASSERT_EQ(walk(root), std::vector<std::string>{"a/b/secret"});
  fs::rename(root / "a", dir.path() / "a.old");
  fs::create_directory_symlink(outside.path(), root / "a");
  auto session = sessionFor(root);
  EXPECT_EQ(session->open((root / "a/b/secret").string()).kind, OverwriteKind::Missing);
  // Nor can ".." climb out of the root.
  EXPECT_EQ(session->open((root / "../a.old/b/secret").string()).kind, OverwriteKind::Failed);
  EXPECT_EQ(readFile(precious), "precious");
}

TEST_F(WalkThenWipe, PathsOutsideTheRootAreRefusedUntouched) {
  fs::path root = dir.path() / "tree";
  dir.write("tree/f", "inside");
  auto sibling = dir.write("tree2/f", "sibling");
  auto elsewhere = outside.write("f", "elsewhere");
  auto session = sessionFor(root);
  for (const fs::path& path : {sibling, elsewhere, dir.path() / "tree"}) {
    auto opened = session->open(path.string());
    EXPECT_EQ(opened.kind, OverwriteKind::Failed) << path;
    EXPECT_FALSE(opened.target) << path;
  }
  EXPECT_EQ(readFile(sibling), "sibling");
  EXPECT_EQ(readFile(elsewhere), "elsewhere");
  EXPECT_EQ(session->open((root / "f").string()).kind, OverwriteKind::Opened);
  // A root that is not there has no files.
  auto gone = sessionFor(dir.path() / "absent");
  EXPECT_EQ(gone->open((dir.path() / "absent/f").string()).kind, OverwriteKind::Missing);
}

TEST_F(WalkThenWipe, LinksInTheRootTheCallerNamedAreFollowedOnce) {
  dir.write("real/tree/sub/f", "data");
  fs::create_directory_symlink(dir.path() / "real", dir.path() / "alias");
  fs::path root = dir.path() / "alias" / "tree";
  ASSERT_EQ(walk(root), std::vector<std::string>{"sub/f"});
  auto session = sessionFor(root);
  auto opened = session->open((root / "sub/f").string());
  ASSERT_EQ(opened.kind, OverwriteKind::Opened);
  opened.target->close();
  EXPECT_EQ(opened.target->remove(), 0);
  EXPECT_FALSE(fs::exists(dir.path() / "real/tree/sub/f"));
  // A single file the user named, with no root: its links are theirs too.
  auto single = dir.write("real/other/g", "g");
  auto alone = files.beginOverwrite({});
  EXPECT_EQ(alone->open((dir.path() / "alias/other/g").string()).kind, OverwriteKind::Opened);
  EXPECT_EQ(readFile(single), "g");
}

// An earlier walk of a folder says nothing about a later single-file wipe
// below it: the user's own link on the way is followed as for any file.
TEST_F(WalkThenWipe, ASingleFileWipeAfterAWalkStillFollowsTheUsersLink) {
  fs::path root = dir.path() / "tree";
  dir.write("tree/f", "listed");
  walk(root);
  auto single = outside.write("docs/g", "g");
  fs::create_directory_symlink(outside.path() / "docs", root / "docs");
  auto session = files.beginOverwrite({});
  auto opened = session->open((root / "docs/g").string());
  ASSERT_EQ(opened.kind, OverwriteKind::Opened);
  opened.target->close();
  EXPECT_EQ(opened.target->remove(), 0);
  EXPECT_FALSE(fs::exists(single));
}

TEST_F(WalkThenWipe, RemovalAfterCloseDoesNotFollowAFolderSwappedMeanwhile) {
  fs::path root = dir.path() / "tree";
  auto file = dir.write("tree/sub/f", "mine");
  auto precious = outside.write("f", "precious");
  walk(root);
  auto session = sessionFor(root);
  auto opened = session->open(file.string());
  ASSERT_EQ(opened.kind, OverwriteKind::Opened);
  opened.target->close();  // a batch closes its files before it removes them
  fs::rename(root / "sub", dir.path() / "sub.old");
  fs::create_directory_symlink(outside.path(), root / "sub");
  EXPECT_NE(opened.target->remove(), 0);
  EXPECT_EQ(readFile(precious), "precious");
}

// The root is resolved when the session begins: a folder replaced between
// an earlier walk and the session is simply the folder there now, and a root
// swapped for a link after the session began is never followed.
TEST_F(WalkThenWipe, TheRootIsTheFolderThatWasThereWhenTheSessionBegan) {
  fs::path root = dir.path() / "tree";
  dir.write("tree/f", "old");
  walk(root);
  fs::remove_all(root);
  auto file = dir.write("tree/g", "new");
  auto session = sessionFor(root);
  EXPECT_EQ(session->open(file.string()).kind, OverwriteKind::Opened);

  auto precious = outside.write("g", "precious");
  fs::rename(root, dir.path() / "tree.old");
  fs::create_directory_symlink(outside.path(), root);
  auto opened = session->open((root / "g").string());
  ASSERT_EQ(opened.kind, OverwriteKind::Opened);
  opened.target->close();
  EXPECT_EQ(opened.target->remove(), 0);
  EXPECT_EQ(readFile(precious), "precious");
  EXPECT_FALSE(fs::exists(dir.path() / "tree.old/g"));
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
  // Named by hand below the root, it is still not reached.
  auto session = sessionFor(root);
  EXPECT_EQ(session->open((root / "usb/photo.jpg").string()).kind, OverwriteKind::Failed);
  EXPECT_EQ(readFile(photo), "holiday");
}

}  // namespace
