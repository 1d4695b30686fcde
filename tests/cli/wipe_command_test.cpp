// --wipe over the real file layer: the folder-safety rule judges what a typed
// path resolves to, a link is never a way in, and the counts are honest.
#include "cli/wipe_command.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "forms/fake/fake_platform.h"
#include "platform/linux/files/linux_file_layer.h"
#include "private_mounts.h"
#include "temp_dir.h"

namespace fs = std::filesystem;

namespace cli {
namespace {

class WipeCommand : public ::testing::Test {
 protected:
  testsupport::TempDir dir;
  fs::path home = dir.path() / "home";
  testsupport::EnvGuard homeEnv{"HOME", home.string()};
  forms::fake::FakePlatform fake;
  platform::linux_os::LinuxFileLayer files;
  std::ostringstream out, err;

  void SetUp() override {
    dir.write("home/docs/a.txt", "aaaa");
    dir.write("home/docs/sub/b.txt", std::string(3000, 'b'));
    dir.write("outside/keep.txt", "precious");
    fs::create_symlink(dir.path() / "outside", home / "docs/sub/to-outside");
    fs::create_symlink(home / "docs", home / "docs-link");
  }

  int wipe(std::vector<std::string> paths, const fs::path& workingFolder, bool yesReally = false) {
    forms::Platform real{forms::withView(
        platform::System{files, fake.registry, fake.settings, fake.urlCache, fake.history,
                         fake.trash, fake.shell, fake.downloader, fake.process},
        fake.msgbox, fake.dialogs, fake.windows, fake.tray)};
    Options options;
    options.command = Command::Wipe;
    options.paths = std::move(paths);
    options.passes = 1;
    options.yesReally = yesReally;
    return runWipe(options, real, workingFolder.string(), out, err, false);
  }
};

TEST_F(WipeCommand, HomeTypedAnyWayAndLinksAreRefusedAndNothingIsDestroyed) {
  for (const char* typed : {".", "./", "docs/..", "docs/sub/../.."}) {
    err.str("");
    EXPECT_EQ(wipe({typed}, home), 1) << typed;
    EXPECT_NE(err.str().find(home.string() + " is your home folder; nothing was wiped"),
              std::string::npos)
        << typed << ": " << err.str();
  }
  EXPECT_EQ(wipe({"docs-link"}, home), 1);
  EXPECT_NE(
      err.str().find("docs-link is a link to " + (home / "docs").string() + "; nothing was wiped"),
      std::string::npos)
      << err.str();
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(testsupport::readFile(home / "docs/a.txt"), "aaaa");
  EXPECT_EQ(testsupport::readFile(home / "docs/sub/b.txt").size(), 3000u);
}

TEST_F(WipeCommand, AFolderIsWipedThroughItsOwnTreeWithHonestCounts) {
  EXPECT_EQ(wipe({"docs/"}, home), 0) << err.str();
  // The link's reason is the wipe engine's own words.
  EXPECT_EQ(out.str().rfind(
                "docs/: 2 wiped (2.9 KiB, 1 pass), 1 removed without overwriting, 0 could not be "
                "wiped\n  removed without overwriting: " +
                    (home / "docs/sub/to-outside").string() + ": it is a link",
                0),
            0u)
      << out.str();
  EXPECT_FALSE(fs::exists(home / "docs/a.txt"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(home / "docs/sub/to-outside")));
  EXPECT_EQ(testsupport::readFile(dir.path() / "outside/keep.txt"), "precious");
}

// A file mounted on a name (bind-mounted from elsewhere) lives where it was
// mounted from: named alone or met inside a folder, it is left as it is,
// byte for byte, and said to be a mount point.
TEST_F(WipeCommand, AMountedFileIsLeftWhereItLivesWhetherNamedOrInAFolder) {
  const std::string precious(5000, 'P');
  const fs::path source = dir.write("outside/secret.db", precious);
  const fs::path inFolder = dir.write("home/docs/mounted", "");
  const fs::path alone = dir.write("home/mounted-alone", "");
  std::string whyNot;
  const bool ran = testsupport::inPrivateMountNamespace(
      [&] {
        for (const fs::path& point : {inFolder, alone})
          ASSERT_EQ(::mount(source.c_str(), point.c_str(), nullptr, MS_BIND, nullptr), 0)
              << point << ": " << std::strerror(errno);
        EXPECT_EQ(wipe({"mounted-alone"}, home), 1);
        EXPECT_EQ(wipe({"docs"}, home), 1);
        EXPECT_EQ(testsupport::readFile(source), precious);
        for (const fs::path& point : {alone, inFolder})
          EXPECT_NE(out.str().find("not wiped: " + point.string() +
                                   ": it is a mount point; left as it is\n"),
                    std::string::npos)
              << out.str();
        EXPECT_NE(out.str().find("mounted-alone: 0 wiped (0 bytes, 1 pass), 0 removed without "
                                 "overwriting, 1 could not be wiped\n"),
                  std::string::npos)
            << out.str();
        // The rest of the folder was wiped all the same.
        EXPECT_FALSE(fs::exists(home / "docs/a.txt"));
      },
      whyNot);
  if (!ran) GTEST_SKIP() << "no private mount namespace here: " << whyNot;
}

// Removing a name without overwriting what it named is not a wipe: the run
// says so and fails, whether the data is still under another name or the
// file system lives in memory.
TEST_F(WipeCommand, AWipeThatOverwroteNothingSaysSoAndFails) {
  dir.write("home/shared", "still here");
  fs::create_hard_link(home / "shared", home / "other-name");
  EXPECT_EQ(wipe({"other-name"}, home), 1);
  EXPECT_EQ(out.str(),
            "other-name: 0 wiped (0 bytes, 1 pass), 1 removed without overwriting, 0 could not "
            "be wiped\n  removed without overwriting: " +
                (home / "other-name").string() +
                ": it has other names (hard links): only this name was removed, its content was "
                "not overwritten\n");
  EXPECT_EQ(testsupport::readFile(home / "shared"), "still here");

  struct statfs shm {};
  if (statfs("/dev/shm", &shm) != 0 || shm.f_type != 0x01021994)
    GTEST_SKIP() << "/dev/shm is not a tmpfs here";
  const fs::path inMemory = "/dev/shm/tracesweep-wipe-test-" + std::to_string(::getpid());
  std::ofstream(inMemory) << "in memory";
  out.str("");
  EXPECT_EQ(wipe({inMemory.string()}, home), 1);
  EXPECT_NE(
      out.str().find(": 0 wiped (0 bytes, 1 pass), 1 removed without overwriting, 0 could "
                     "not be wiped\n  removed without overwriting: " +
                     inMemory.string() + ": this file system lives in memory and swap (tmpfs)\n"),
      std::string::npos)
      << out.str();
  EXPECT_FALSE(fs::exists(inMemory));
}

}  // namespace
}  // namespace cli
