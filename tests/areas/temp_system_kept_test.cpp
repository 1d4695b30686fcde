// In a shared temporary folder, what the system keeps for itself stays,
// whoever runs the clearing: the floor of X and service entries, and the x
// lines of the tmpfiles.d configuration, read as systemd-tmpfiles reads it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "areas/system_areas.h"
#include "platform/linux/files/linux_file_layer.h"
#include "platform/linux/system/tmpfiles_exclusions.h"
#include "temp_dir.h"
#include "temp_platform.h"

namespace fs = std::filesystem;

namespace areas {
namespace {

// The temporary folder of the test, judged as the system's /tmp is, with
// the configuration under a root of the test's own.
class SharedTmpShell : public platform::linux_os::LinuxShell {
 public:
  explicit SharedTmpShell(std::string configRoot) : configRoot_(std::move(configRoot)) {}
  platform::SystemKeeps systemKeepsIn(const std::string&) override {
    return platform::linux_os::SystemKeepsAs("/tmp", configRoot_);
  }

 private:
  std::string configRoot_;
};

std::vector<std::string> keptItems(const platform::ClearOutcome& outcome) {
  std::vector<std::string> items;
  for (const platform::ClearKept& kept : outcome.kept) {
    EXPECT_EQ(kept.reason, "the system keeps it");
    items.push_back(kept.item);
  }
  std::sort(items.begin(), items.end());
  return items;
}

TEST(TempFolderSystemKept, TheSystemsEntriesStayAndAreNamedOnceAsKept) {
  testsupport::TempDir dir;
  const fs::path temp = dir.path() / "tmp";
  testsupport::EnvGuard tmpdir("TMPDIR", temp.string());
  testsupport::EnvGuard home("HOME", (dir.path() / "home").string());
  fs::create_directories(dir.path() / "home");
  dir.write("tmp/.X0-lock", "       0\n");
  dir.write("tmp/.X11-unix/X0", "");
  dir.write("tmp/systemd-private-abc/tmp/f", "a service's file");
  dir.write("tmp/app-5f3e-1/state", "kept by a package's x line");
  dir.write("tmp/plain.txt", "ordinary");
  dir.write("tmp/old/plain2.txt", "ordinary too");
  // A package keeps its folder (with a specifier), and the folder itself
  // (not what it holds); a second file that would keep the ordinary ones is
  // hidden by a link to /dev/null of its name.
  dir.write("root/usr/lib/tmpfiles.d/app.conf",
            "# comment\nd /tmp/app 0755 - - -\nx /tmp/app-%b-*\nX /tmp\n");
  dir.write("root/usr/lib/tmpfiles.d/hidden.conf", "x /tmp/plain*\nx /tmp/old\n");
  fs::create_directories(dir.path() / "root/etc/tmpfiles.d");
  fs::create_symlink("/dev/null", dir.path() / "root/etc/tmpfiles.d/hidden.conf");

  forms::fake::FakePlatform fake;
  platform::linux_os::LinuxFileLayer files;
  SharedTmpShell shell((dir.path() / "root").string());
  forms::Platform platform = test_support::withFilesAndShell(fake, files, shell);
  erasure::FileList fileList;

  const std::string t = fs::canonical(temp).string() + "/";
  const std::vector<std::string> kept = {t + ".X0-lock", t + ".X11-unix", t + "app-5f3e-1",
                                         t + "systemd-private-abc"};
  platform::ClearOutcome preview = PreviewTempFolder(platform, fileList);
  EXPECT_EQ(keptItems(preview), kept);
  EXPECT_EQ(preview.removed, 2);
  EXPECT_EQ(fileList.lastIndex(), 2);  // the page's list holds only what goes

  platform::ClearOutcome run = ClearTempFolder(platform, fileList);
  EXPECT_EQ(keptItems(run), kept);
  EXPECT_EQ(run.removed, 2);
  std::sort(preview.items.begin(), preview.items.end());
  std::sort(run.items.begin(), run.items.end());
  EXPECT_EQ(run.items, preview.items);
  EXPECT_TRUE(run.ok());
  EXPECT_FALSE(fs::exists(temp / "plain.txt"));
  EXPECT_FALSE(fs::exists(temp / "old/plain2.txt"));
  for (const char* stays :
       {".X0-lock", ".X11-unix/X0", "systemd-private-abc/tmp/f", "app-5f3e-1/state"})
    EXPECT_TRUE(fs::exists(temp / stays)) << stays;
}

TEST(TempFolderSystemKept, OnlyTheSystemsSharedFoldersAreJudgedSo) {
  testsupport::TempDir dir;
  EXPECT_FALSE(platform::linux_os::SystemKeepsIn(dir.str()));
  const platform::SystemKeeps keeps = platform::linux_os::SystemKeepsIn("/tmp/");
  ASSERT_TRUE(keeps);
  EXPECT_EQ(keeps(".X11-unix/X0"), ".X11-unix");
  EXPECT_EQ(keeps("systemd-private-1-x.service-2/tmp/f"), "systemd-private-1-x.service-2");
  EXPECT_EQ(keeps("notes.txt"), "");
}

}  // namespace
}  // namespace areas
