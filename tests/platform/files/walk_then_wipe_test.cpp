// Wiping what a walk listed: a chosen folder is opened once and known from
// then on only by what was opened. Its session reaches everything below it
// one name at a time, never through a link, never into another mount and
// only into the folders its walk went through, while links on the path the
// caller typed are the caller's and are followed once, when it is chosen. A
// session of files the user named remembers nothing of earlier walks.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "platform/linux/files/linux_file_layer.h"
#include "temp_dir.h"

namespace fs = std::filesystem;
using platform::ChosenFolderState;
using platform::OverwriteKind;
using platform::linux_os::LinuxFileLayer;
using testsupport::readFile;

namespace {

class WalkThenWipe : public ::testing::Test {
 protected:
  std::unique_ptr<platform::ChosenFolder> choose(const fs::path& root) {
    auto chosen = files.chooseFolder(root.string() + "/");
    EXPECT_EQ(chosen.state, ChosenFolderState::Opened) << root;
    return std::move(chosen.folder);
  }

  static std::vector<std::string> walk(platform::ChosenFolder& folder) {
    std::vector<std::string> found;
    EXPECT_EQ(folder.walkFiles([&](const std::string& relative) { found.push_back(relative); }), 0);
    return found;
  }

  LinuxFileLayer files;
  testsupport::TempDir dir;
  testsupport::TempDir outside;
};

TEST_F(WalkThenWipe, AFolderSwappedAnywhereBelowTheRootLeadsNowhere) {
  fs::path root = dir.path() / "tree";
  dir.write("tree/a/b/secret", "decoy");
  dir.write("tree/m/secret", "decoy");
  auto precious = outside.write("b/secret", "precious");
  auto moved = outside.write("m/secret", "moved in");
  auto chosen = choose(root);
  auto listed = walk(*chosen);
  std::sort(listed.begin(), listed.end());
  ASSERT_EQ(listed, (std::vector<std::string>{"a/b/secret", "m/secret"}));
  // One folder becomes a link, another is replaced by a folder from outside.
  fs::rename(root / "a", dir.path() / "a.old");
  fs::create_directory_symlink(outside.path(), root / "a");
  fs::rename(root / "m", dir.path() / "m.old");
  fs::rename(outside.path() / "m", root / "m");
  auto session = chosen->beginOverwrite({});
  EXPECT_EQ(session->open("a/b/secret").kind, OverwriteKind::Missing);
  EXPECT_EQ(session->open("m/secret").kind, OverwriteKind::Missing);
  // Nor can ".." or an absolute path climb out of the folder.
  EXPECT_EQ(session->open("../a.old/b/secret").kind, OverwriteKind::Failed);
  EXPECT_EQ(session->open(precious.string()).kind, OverwriteKind::Failed);
  EXPECT_EQ(readFile(precious), "precious");
  EXPECT_EQ(readFile(root / "m/secret"), "moved in");
}

TEST_F(WalkThenWipe, WhatCannotBeOpenedIsNamedForWhatItIs) {
  auto file = dir.write("file", "f");
  fs::create_directories(dir.path() / "real");
  fs::create_directory_symlink(dir.path() / "real", dir.path() / "link");
  EXPECT_EQ(files.chooseFolder((dir.path() / "absent").string()).state, ChosenFolderState::Missing);
  EXPECT_EQ(files.chooseFolder(file.string()).state, ChosenFolderState::NotFolder);
  // The folder named is itself a link: it is never followed, and says where it leads.
  auto link = files.chooseFolder((dir.path() / "link").string() + "/");
  EXPECT_EQ(link.state, ChosenFolderState::IsLink);
  EXPECT_EQ(link.linkTarget, fs::canonical(dir.path() / "real").string());
  EXPECT_FALSE(link.folder);
}

TEST_F(WalkThenWipe, LinksOnThePathTheCallerTypedAreFollowedOnce) {
  dir.write("real/tree/sub/f", "data");
  fs::create_directory_symlink(dir.path() / "real", dir.path() / "alias");
  auto chosen = choose(dir.path() / "alias" / "tree");
  EXPECT_EQ(chosen->path(), fs::canonical(dir.path() / "real/tree").string());
  ASSERT_EQ(walk(*chosen), std::vector<std::string>{"sub/f"});
  auto session = chosen->beginOverwrite({});
  auto opened = session->open("sub/f");
  ASSERT_EQ(opened.kind, OverwriteKind::Opened);
  opened.target->close();
  EXPECT_EQ(opened.target->remove(), 0);
  EXPECT_FALSE(fs::exists(dir.path() / "real/tree/sub/f"));
  // A single file the user named: its links are theirs too.
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
  walk(*choose(root));
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
  dir.write("tree/sub/f", "mine");
  auto precious = outside.write("f", "precious");
  auto chosen = choose(root);
  walk(*chosen);
  auto session = chosen->beginOverwrite({});
  auto opened = session->open("sub/f");
  ASSERT_EQ(opened.kind, OverwriteKind::Opened);
  opened.target->close();  // a batch closes its files before it removes them
  fs::rename(root / "sub", dir.path() / "sub.old");
  fs::create_directory_symlink(outside.path(), root / "sub");
  EXPECT_NE(opened.target->remove(), 0);
  EXPECT_EQ(readFile(precious), "precious");
}

// The folder is the one that was opened: swapped for a link afterwards, it
// says so, and what is still reached through it is its own files only.
TEST_F(WalkThenWipe, TheChosenFolderIsTheFolderThatWasOpened) {
  fs::path root = dir.path() / "tree";
  dir.write("tree/g", "mine");
  auto chosen = choose(root);
  walk(*chosen);
  EXPECT_TRUE(chosen->unchanged());
  auto precious = outside.write("g", "precious");
  fs::rename(root, dir.path() / "tree.old");
  fs::create_directory_symlink(outside.path(), root);
  EXPECT_FALSE(chosen->unchanged());
  auto session = chosen->beginOverwrite({});
  auto opened = session->open("g");
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
  auto chosen = choose(root);
  // Not entered, but named, so that the wipe can say it left it.
  auto listed = walk(*chosen);
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"own", "usb"}));
  auto session = chosen->beginOverwrite({});
  EXPECT_EQ(session->open("usb").kind, OverwriteKind::MountPoint);
  // Named by hand below the root, it is still not reached.
  EXPECT_EQ(session->open("usb/photo.jpg").kind, OverwriteKind::Failed);
  EXPECT_EQ(readFile(photo), "holiday");
  // And the mount itself, chosen, is the top of another file system.
  EXPECT_EQ(choose(root / "usb")->protection(), platform::FolderProtection::MountRoot);
}

}  // namespace
