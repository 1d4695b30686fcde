// --wipe over the real file layer: the folder-safety rule judges what a typed
// path resolves to, a link is never a way in, and the counts are honest.
#include "cli/wipe_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "platform/fake/fake_platform.h"
#include "platform/linux/files/linux_file_layer.h"
#include "temp_dir.h"

namespace fs = std::filesystem;

namespace cli {
namespace {

class WipeCommand : public ::testing::Test {
 protected:
  testsupport::TempDir dir;
  fs::path home = dir.path() / "home";
  testsupport::EnvGuard homeEnv{"HOME", home.string()};
  platform::fake::FakePlatform fake;
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
    platform::Platform real{files,        fake.registry, fake.settings, fake.urlCache,
                            fake.history, fake.trash,    fake.shell,    fake.downloader,
                            fake.process, fake.msgbox,   fake.dialogs,  fake.windows,
                            fake.tray};
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

}  // namespace
}  // namespace cli
