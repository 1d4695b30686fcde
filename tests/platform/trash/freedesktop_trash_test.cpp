#include "platform/linux/trash/freedesktop_trash.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "temp_dir.h"

namespace fs = std::filesystem;
using testsupport::readFile;

namespace platform::linux_os {
namespace {

const std::string kUid = std::to_string(getuid());

// Fills a trash folder the way a client leaves it.
void fillTrash(const fs::path& trash) {
  fs::create_directories(trash / "files" / "folder" / "deeper");
  fs::create_directories(trash / "info");
  fs::create_directories(trash / "expunged" / "x");
  std::ofstream(trash / "files" / "a.txt") << "a";
  std::ofstream(trash / "files" / "folder" / "deeper" / "b.txt") << "b";
  std::ofstream(trash / "info" / "a.txt.trashinfo") << "[Trash Info]\nPath=/a.txt\n";
  std::ofstream(trash / "info" / "folder.trashinfo") << "[Trash Info]\nPath=/folder\n";
  std::ofstream(trash / "expunged" / "x" / "y") << "y";
  std::ofstream(trash / "directorysizes") << "4096 1 folder\n";
}

bool isEmptyFolder(const fs::path& p) {
  return fs::is_directory(p) && fs::is_empty(p);
}

void expectEmptied(const fs::path& trash) {
  EXPECT_TRUE(isEmptyFolder(trash / "files")) << trash;
  EXPECT_TRUE(isEmptyFolder(trash / "info")) << trash;
  EXPECT_TRUE(isEmptyFolder(trash / "expunged")) << trash;
  EXPECT_FALSE(fs::exists(fs::symlink_status(trash / "directorysizes"))) << trash;
}

std::string escapeMountPoint(const std::string& path) {
  std::string out;
  for (char c : path) out += c == ' ' ? std::string("\\040") : std::string(1, c);
  return out;
}

class FreedesktopTrashTest : public ::testing::Test {
 protected:
  // Names the given folders as mounted volumes in a mount table of our own.
  void mount(const fs::path& topdir, const std::string& options = "rw",
             const std::string& type = "ext4") {
    fs::create_directories(topdir);
    std::ofstream(mountInfo, std::ios::app)
        << "100 1 8:17 / " << escapeMountPoint(topdir.string()) << " " << options << " shared:1 - "
        << type << " /dev/test rw\n";
  }
  void emptyAll() { FreedesktopTrash(mountInfo.string(), homeTrash.string()).emptyAll(); }

  testsupport::TempDir dir;
  fs::path mountInfo = dir.path() / "mountinfo";
  fs::path homeTrash = dir.path() / "home" / ".local" / "share" / "Trash";
  fs::path volume = dir.path() / "test volume";
  fs::path outside = dir.path() / "outside";

  void SetUp() override {
    std::ofstream(mountInfo).flush();
    fs::create_directories(outside);
    std::ofstream(outside / "keep.txt") << "precious";
  }
};

TEST_F(FreedesktopTrashTest, EmptiesHomeTrashAndPrivateVolumeTrash) {
  fillTrash(homeTrash);
  mount(volume);
  fillTrash(volume / (".Trash-" + kUid));
  emptyAll();
  expectEmptied(homeTrash);
  expectEmptied(volume / (".Trash-" + kUid));
  // Emptying an empty or missing trash again is quiet.
  emptyAll();
  FreedesktopTrash(mountInfo.string(), (dir.path() / "none").string()).emptyAll();
}

TEST_F(FreedesktopTrashTest, SharedTrashOnlyWithStickyBitAndNeverThroughALink) {
  fs::path shared = volume / ".Trash";
  mount(volume);
  fillTrash(shared / kUid);
  ::chmod(shared.c_str(), 0777);  // no sticky bit: another user could have planted it
  emptyAll();
  EXPECT_TRUE(fs::exists(shared / kUid / "files" / "a.txt"));

  ::chmod(shared.c_str(), 01777);
  emptyAll();
  expectEmptied(shared / kUid);

  // A .Trash that is a link to a proper sticky folder elsewhere is ignored.
  fs::path other = dir.path() / "other volume";
  mount(other);
  fs::path elsewhere = dir.path() / "elsewhere";
  fillTrash(elsewhere / kUid);
  ::chmod(elsewhere.c_str(), 01777);
  fs::create_directory_symlink(elsewhere, other / ".Trash");
  emptyAll();
  EXPECT_TRUE(fs::exists(elsewhere / kUid / "files" / "a.txt"));
}

TEST_F(FreedesktopTrashTest, PrivateTrashThatIsALinkIsIgnored) {
  mount(volume);
  fillTrash(outside / "fake-trash");
  fs::create_directory_symlink(outside / "fake-trash", volume / (".Trash-" + kUid));
  emptyAll();
  EXPECT_TRUE(fs::exists(outside / "fake-trash" / "files" / "a.txt"));
}

// A home trash the user moved to another disk and left a link to is emptied
// where it is; one linked by another user, or into a system folder, is told
// and left.
TEST_F(FreedesktopTrashTest, HomeTrashMovedWithALinkIsEmptiedThereAndAStrangersLinkIsTold) {
  const fs::path moved = dir.path() / "second disk" / "Trash";
  fillTrash(moved);
  fs::create_directories(homeTrash.parent_path());
  fs::create_directory_symlink(moved, homeTrash);
  ClearOutcome outcome;
  FreedesktopTrash(mountInfo.string(), homeTrash.string()).emptyAll(&outcome);
  expectEmptied(moved);
  EXPECT_TRUE(outcome.ok());
  EXPECT_EQ(outcome.removed, 2);  // a.txt and folder
  EXPECT_TRUE(fs::is_symlink(homeTrash));

  auto refusalOf = [this](const std::string& words) {
    ClearOutcome told;
    FreedesktopTrash(mountInfo.string(), homeTrash.string()).emptyAll(&told);
    EXPECT_EQ(told.failures.size(), 1u);
    if (told.failures.empty()) return;
    EXPECT_EQ(told.failures[0].item, homeTrash.string());
    EXPECT_NE(told.failures[0].reason.find(words), std::string::npos) << told.failures[0].reason;
  };
  fs::remove(homeTrash);
  fs::create_directory_symlink("/usr", homeTrash);
  // Judged a system folder, or (not run as root) a folder of another user.
  refusalOf("left as it is");

  if (geteuid() != 0) GTEST_SKIP() << "a link of another user can only be made as root";
  fillTrash(moved);
  fs::remove(homeTrash);
  fs::create_directory_symlink(moved, homeTrash);
  ASSERT_EQ(lchown(homeTrash.c_str(), 4321, 4321), 0);
  refusalOf("is a link owned by another user");
  EXPECT_TRUE(fs::exists(moved / "files" / "a.txt"));
}

TEST_F(FreedesktopTrashTest, LinksInsideTheTrashAreRemovedNotFollowed) {
  fillTrash(homeTrash);
  fs::create_symlink(outside / "keep.txt", homeTrash / "files" / "file-link");
  fs::create_directory_symlink(outside, homeTrash / "files" / "folder" / "dir-link");
  // expunged/ itself swapped for a link to a folder outside.
  fs::remove_all(homeTrash / "expunged");
  fs::create_directory_symlink(outside, homeTrash / "expunged");
  emptyAll();
  EXPECT_TRUE(isEmptyFolder(homeTrash / "files"));
  EXPECT_TRUE(isEmptyFolder(homeTrash / "info"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(homeTrash / "expunged")));
  EXPECT_EQ(readFile(outside / "keep.txt"), "precious");
  EXPECT_EQ(std::distance(fs::directory_iterator(outside), fs::directory_iterator()), 1);
}

TEST_F(FreedesktopTrashTest, TrashedFoldersWithoutPermissionsAreEmptied) {
  fillTrash(homeTrash);
  fs::path locked = homeTrash / "files" / "locked";
  fs::create_directories(locked / "inner");
  std::ofstream(locked / "inner" / "f") << "f";
  ::chmod((locked / "inner").c_str(), 0);
  ::chmod(locked.c_str(), 0500);
  // A deep tree is walked without recursion.
  fs::path deep = homeTrash / "files" / "deep";
  for (int i = 0; i < 300; ++i) deep /= "d";
  fs::create_directories(deep);
  std::ofstream(deep / "bottom") << "x";
  emptyAll();
  expectEmptied(homeTrash);
}

// A folder bind-mounted into the trash (same device number) is not entered.
TEST_F(FreedesktopTrashTest, BindMountInsideTheTrashIsNotEntered) {
  fillTrash(homeTrash);
  fs::path mountPoint = homeTrash / "files" / "folder" / "mounted";
  fs::create_directories(mountPoint);
  if (::mount(outside.c_str(), mountPoint.c_str(), nullptr, MS_BIND, nullptr) != 0)
    GTEST_SKIP() << "cannot bind-mount here";
  struct Unmount {
    fs::path point;
    ~Unmount() { ::umount2(point.c_str(), MNT_DETACH); }
  } unmount{mountPoint};
  emptyAll();
  EXPECT_EQ(readFile(outside / "keep.txt"), "precious");
  EXPECT_FALSE(fs::exists(homeTrash / "files" / "a.txt"));
  EXPECT_TRUE(fs::exists(homeTrash / "info" / "folder.trashinfo"));
}

// An item that cannot be removed keeps its info file, so the trash still
// shows it; everything else goes.
TEST_F(FreedesktopTrashTest, InfoOfAnItemThatStaysIsKept) {
  fillTrash(homeTrash);
  fs::path stuck = homeTrash / "files" / "folder" / "deeper" / "b.txt";
  std::string lock = "chattr +i '" + stuck.string() + "' 2>/dev/null";
  if (std::system(lock.c_str()) != 0) GTEST_SKIP() << "no immutable files here";
  struct Unlock {
    std::string command;
    ~Unlock() { (void)std::system(command.c_str()); }
  } unlock{"chattr -i '" + stuck.string() + "'"};
  emptyAll();
  EXPECT_TRUE(fs::exists(stuck));
  EXPECT_TRUE(fs::exists(homeTrash / "info" / "folder.trashinfo"));
  EXPECT_FALSE(fs::exists(homeTrash / "files" / "a.txt"));
  EXPECT_FALSE(fs::exists(homeTrash / "info" / "a.txt.trashinfo"));
  EXPECT_TRUE(isEmptyFolder(homeTrash / "expunged"));
}

// A read-only drive's trash stays, and each of its items is told as staying.
TEST_F(FreedesktopTrashTest, ReadOnlyAndPseudoMountsAreSkipped) {
  fs::path readOnly = dir.path() / "ro";
  fs::path pseudo = dir.path() / "proc-like";
  mount(readOnly, "ro,nosuid");
  mount(pseudo, "rw", "proc");
  fillTrash(readOnly / (".Trash-" + kUid));
  fillTrash(pseudo / (".Trash-" + kUid));
  FreedesktopTrash trash(mountInfo.string(), homeTrash.string());
  ClearOutcome told;
  trash.emptyAll(&told);
  EXPECT_TRUE(fs::exists(readOnly / (".Trash-" + kUid) / "files" / "a.txt"));
  EXPECT_TRUE(fs::exists(pseudo / (".Trash-" + kUid) / "files" / "a.txt"));
  EXPECT_EQ(told.removed, 0);
  ASSERT_EQ(told.failures.size(), 2u);  // a.txt and folder, of the read-only drive
  for (const ClearFailure& failure : told.failures) {
    EXPECT_EQ(failure.item.rfind((readOnly / (".Trash-" + kUid) / "files").string(), 0), 0u);
    EXPECT_EQ(failure.reason, "it is on a read-only file system");
  }
  EXPECT_EQ(trash.previewEmptyAll().failures.size(), 2u);
}

TEST_F(FreedesktopTrashTest, SameTrashThroughTwoMountsIsEmptiedOnce) {
  mount(volume);
  mount(volume);  // a bind mount names the same folder again
  fillTrash(volume / (".Trash-" + kUid));
  emptyAll();
  expectEmptied(volume / (".Trash-" + kUid));
}

TEST_F(FreedesktopTrashTest, TrashOfAnotherUserIsIgnored) {
  if (getuid() != 0) GTEST_SKIP() << "needs root to give a folder to another user";
  mount(volume);
  fs::path theirs = volume / (".Trash-" + kUid);
  fillTrash(theirs);
  ASSERT_EQ(::chown(theirs.c_str(), 54321, 54321), 0);
  fillTrash(homeTrash);
  ASSERT_EQ(::chown(homeTrash.c_str(), 54321, 54321), 0);
  fs::path shared = dir.path() / "shared vol";
  mount(shared);
  fillTrash(shared / ".Trash" / kUid);
  ::chmod((shared / ".Trash").c_str(), 01777);
  ASSERT_EQ(::chown((shared / ".Trash" / kUid).c_str(), 54321, 54321), 0);
  emptyAll();
  EXPECT_TRUE(fs::exists(theirs / "files" / "a.txt"));
  EXPECT_TRUE(fs::exists(homeTrash / "files" / "a.txt"));
  EXPECT_TRUE(fs::exists(shared / ".Trash" / kUid / "files" / "a.txt"));
}

// A real client fills the home trash; the default home trash follows
// $XDG_DATA_HOME.
TEST_F(FreedesktopTrashTest, EmptiesWhatGioTrashedIntoTheHomeTrash) {
  if (std::system("command -v gio >/dev/null 2>&1") != 0) GTEST_SKIP() << "gio is not installed";
  fs::path home = dir.path() / "home";
  fs::create_directories(home / ".local" / "share");
  testsupport::EnvGuard homeEnv("HOME", home.string());
  testsupport::EnvGuard dataEnv("XDG_DATA_HOME", (home / ".local" / "share").string());
  fs::path docs = home / "docs";
  fs::create_directories(docs / "sub");
  std::ofstream(docs / "one.txt") << "1";
  std::ofstream(docs / "with blank.txt") << "2";
  std::ofstream(docs / "sub" / "three.txt") << "3";
  std::string command =
      "cd '" + docs.string() + "' && GIO_USE_VFS=local gio trash one.txt 'with blank.txt' sub 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  ASSERT_FALSE(fs::exists(docs / "one.txt"));
  ASSERT_TRUE(fs::exists(homeTrash / "info" / "one.txt.trashinfo"));
  ASSERT_TRUE(fs::exists(homeTrash / "files" / "sub" / "three.txt"));

  FreedesktopTrash(mountInfo.string()).emptyAll();
  EXPECT_TRUE(isEmptyFolder(homeTrash / "files"));
  EXPECT_TRUE(isEmptyFolder(homeTrash / "info"));
  EXPECT_FALSE(fs::exists(homeTrash / "directorysizes"));
}

}  // namespace
}  // namespace platform::linux_os
