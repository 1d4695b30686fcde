#include "platform/linux/files/linux_file_layer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "temp_dir.h"

namespace fs = std::filesystem;
using platform::linux_os::LinuxFileLayer;
using testsupport::readFile;

namespace {

class LinuxFileLayerTest : public ::testing::Test {
 protected:
  LinuxFileLayer files;
  testsupport::TempDir dir;
};

TEST_F(LinuxFileLayerTest, ReadOnlyFileRefusesDeletionUntilItsAttributesAreReset) {
  auto path = dir.write("ro", "x").string();
  chmod(path.c_str(), 0444);
  EXPECT_EQ(files.deleteFile(path), platform::kErrPathFileAccess);
  EXPECT_TRUE(fs::exists(path));
  EXPECT_EQ(files.setAttributes(path, platform::kAttrNormal), 0);
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::owner_write, fs::perms::owner_write);
  EXPECT_EQ(files.deleteFile(path), 0);
  EXPECT_EQ(files.deleteFile(path), platform::kErrFileNotFound);
  EXPECT_EQ(files.errorText(platform::kErrFileNotFound), "File not found");
}

TEST_F(LinuxFileLayerTest, DeletionAndAttributesNeverGoThroughALink) {
  testsupport::TempDir outside;
  auto target = outside.write("target", "keep");
  chmod(target.c_str(), 0444);
  fs::create_symlink(target, dir.path() / "link");
  EXPECT_EQ(files.setAttributes((dir.path() / "link").string(), platform::kAttrNormal), 0);
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::owner_write, fs::perms::none);
  EXPECT_EQ(files.deleteFile((dir.path() / "link").string()), 0);
  EXPECT_FALSE(fs::is_symlink(dir.path() / "link"));
  EXPECT_EQ(readFile(target), "keep");
  fs::create_directory(dir.path() / "folder");
  EXPECT_EQ(files.deleteFile((dir.path() / "folder").string()), platform::kErrPathFileAccess);
}

TEST_F(LinuxFileLayerTest, LengthByNameTellsMissingFileFromMissingFolder) {
  auto path = dir.write("f", std::string(1500, 'a')).string();
  std::int64_t length = -1;
  EXPECT_EQ(files.fileLength(path, length), 0);
  EXPECT_EQ(length, 1500);
  EXPECT_EQ(files.fileLength(dir.str() + "/absent", length), platform::kErrFileNotFound);
  EXPECT_EQ(files.fileLength(dir.str() + "/absent/f", length), platform::kErrPathNotFound);
  EXPECT_EQ(files.errorText(platform::kErrPathNotFound), "Path not found");
}

TEST_F(LinuxFileLayerTest, ListingGivesAttributesAndNeverDotEntries) {
  dir.write(".hidden", "h");
  auto ro = dir.write("ro", "r");
  chmod(ro.c_str(), 0444);
  fs::create_directory(dir.path() / "sub");
  fs::create_directory_symlink(dir.path() / "sub", dir.path() / "sublink");
  std::map<std::string, int> attributes;
  for (const auto& entry : files.listFolder(dir.str() + "/"))
    attributes[entry.name] = entry.attributes;
  EXPECT_EQ(attributes.size(), 4u);
  EXPECT_EQ(attributes[".hidden"], platform::kAttrHidden);
  EXPECT_EQ(attributes["ro"], platform::kAttrReadOnly);
  EXPECT_EQ(attributes["sub"], platform::kAttrDirectory);
  EXPECT_EQ(attributes["sublink"] & platform::kAttrDirectory, 0);  // a link is never a folder
  EXPECT_TRUE(files.listFolder(dir.str() + "/absent/").empty());
}

TEST_F(LinuxFileLayerTest, OverwriteSessionClassifiesWhatItFinds) {
  testsupport::TempDir outside;
  auto plain = dir.write("plain", "p");
  fs::create_symlink(plain, dir.path() / "link");
  fs::create_hard_link(outside.write("shared", "s"), dir.path() / "hard");
  mkfifo((dir.path() / "fifo").c_str(), 0600);
  fs::create_directory(dir.path() / "sub");
  auto session = files.beginOverwrite({});
  using platform::OverwriteKind;
  const std::map<std::string, OverwriteKind> expected = {
      {"plain", OverwriteKind::Opened},         {"link", OverwriteKind::SymbolicLink},
      {"hard", OverwriteKind::HardLinked},      {"fifo", OverwriteKind::NotRegular},
      {"sub", OverwriteKind::NotRegular},       {"absent", OverwriteKind::Missing},
      {"absent/deeper", OverwriteKind::Missing}};
  for (const auto& [name, kind] : expected)
    EXPECT_EQ(session->open(dir.str() + "/" + name).kind, kind) << name;
}

TEST_F(LinuxFileLayerTest, KernelInterfacesAreNeitherWalkedNorOpenedForWriting) {
  int found = 0;
  EXPECT_EQ(files.walkFiles("/proc/sys/", [&](const std::string&) { ++found; }),
            platform::kErrPathFileAccess);
  EXPECT_EQ(found, 0);
  auto session = files.beginOverwrite({});
  for (const char* path : {"/proc/sys/kernel/hostname", "/sys/kernel/profiling"})
    if (fs::exists(path)) {
      EXPECT_EQ(session->open(path).kind, platform::OverwriteKind::OnKernelInterface) << path;
    }
}

TEST_F(LinuxFileLayerTest, RemovalRefusesANameThatNowNamesAnotherFile) {
  auto path = dir.write("f", "first");
  auto session = files.beginOverwrite({});
  auto opened = session->open(path.string());
  ASSERT_EQ(opened.kind, platform::OverwriteKind::Opened);
  opened.target->close();
  fs::remove(path);
  dir.write("f", "someone else's new file");
  EXPECT_NE(opened.target->remove(), 0);
  EXPECT_EQ(readFile(path), "someone else's new file");
}

TEST_F(LinuxFileLayerTest, OtherUsersFilesAreSkippedWhenAsked) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give a file to another user";
  auto path = dir.write("theirs", "t");
  ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
  auto session = files.beginOverwrite({.ownedByUserOnly = true});
  EXPECT_EQ(session->open(path.string()).kind, platform::OverwriteKind::NotOwned);
  EXPECT_EQ(readFile(path), "t");
}

}  // namespace
