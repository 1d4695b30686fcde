#include "platform/linux/system/linux_shell.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "temp_dir.h"

namespace platform::linux_os {
namespace {

namespace fs = std::filesystem;
using testsupport::EnvGuard;
using testsupport::readFile;
using testsupport::TempDir;

bool waitFor(const fs::path& file) {
  for (int i = 0; i < 500 && !fs::exists(file); ++i) usleep(10000);
  return fs::exists(file);
}

// True once no child of ours is left, running or as a zombie; reaps nothing.
bool noChildrenLeft() {
  for (int i = 0; i < 500; ++i) {
    siginfo_t info{};
    if (waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) != 0 && errno == ECHILD) return true;
    usleep(10000);
  }
  return false;
}

TEST(LinuxShell, OpenUrlStartsXdgOpenWithoutAShellAndWithoutWaiting) {
  TempDir dir;
  fs::path args = dir.path() / "args", release = dir.path() / "release";
  // A stand-in for xdg-open that records its arguments and stays until released.
  fs::path fake = dir.write("bin/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '" +
                                                args.string() + ".part'\nmv '" + args.string() +
                                                ".part' '" + args.string() + "'\nwhile [ ! -e '" +
                                                release.string() + "' ]; do sleep 0.05; done\n");
  chmod(fake.c_str(), 0755);
  EnvGuard path("PATH", dir.str() + "/bin:" + std::getenv("PATH"));

  LinuxShell shell;
  const std::string url = "https://example.org/a b?q=\"x\"&y='z';$(touch " + dir.str() + "/pwned)";
  shell.openUrl(url);
  ASSERT_TRUE(waitFor(args));  // started, and openUrl came back while it still runs
  EXPECT_EQ(readFile(args), "1\n" + url + "\n");
  EXPECT_FALSE(fs::exists(dir.path() / "pwned"));

  dir.write("release", "");
  EXPECT_TRUE(noChildrenLeft());
}

TEST(LinuxShell, AMissingXdgOpenIsNotAnError) {
  TempDir dir;
  EnvGuard path("PATH", dir.str());
  LinuxShell().openUrl("https://example.org/");
  EXPECT_TRUE(noChildrenLeft());
}

TEST(LinuxShell, TempPathFollowsTmpdirOnlyWhenItIsAnAbsoluteFolder) {
  TempDir dir;
  dir.write("file", "");
  const std::string real = fs::canonical(dir.path()).string() + "/";
  const std::string tmp = fs::canonical("/tmp").string() + "/";
  LinuxShell shell;
  auto with = [&](const std::string& value) {
    EnvGuard tmpdir("TMPDIR", value);
    return shell.tempPath();
  };
  EXPECT_EQ(with(dir.str()), real);
  EXPECT_EQ(with(dir.str() + "/"), real);
  EXPECT_EQ(with(dir.str() + "/./"), real);
  EXPECT_EQ(with("/"), "/");
  EXPECT_EQ(with(""), tmp);
  EXPECT_EQ(with("relative"), tmp);
  EXPECT_EQ(with(dir.str() + "/file"), tmp);
  EXPECT_EQ(with(dir.str() + "/missing"), tmp);
  {
    EnvGuard tmpdir("TMPDIR", "");
    unsetenv("TMPDIR");
    EXPECT_EQ(shell.tempPath(), tmp);
  }
}

// A temporary folder reached through a link (as /tmp is on some systems) is
// named by its real folder, so that clearing it walks the real files rather
// than skipping a link it never follows.
TEST(LinuxShell, TempPathIsTheRealFolderWhenTmpdirIsOrCrossesALink) {
  TempDir dir;
  fs::create_directories(dir.path() / "real" / "inner");
  fs::create_directory_symlink(dir.path() / "real", dir.path() / "link");
  const std::string real = fs::canonical(dir.path() / "real").string();
  LinuxShell shell;
  auto with = [&](const std::string& value) {
    EnvGuard tmpdir("TMPDIR", value);
    return shell.tempPath();
  };
  EXPECT_EQ(with(dir.str() + "/link"), real + "/");
  EXPECT_EQ(with(dir.str() + "/link/"), real + "/");
  EXPECT_EQ(with(dir.str() + "/link/inner"), real + "/inner/");
  // A link to something that is no folder is not a temporary folder.
  fs::create_symlink(dir.path() / "nowhere", dir.path() / "dangling");
  EXPECT_EQ(with(dir.str() + "/dangling"), fs::canonical("/tmp").string() + "/");
}

}  // namespace
}  // namespace platform::linux_os

TEST(LinuxShell, ClearingIsRefusedForRootHomeAndTheFoldersAboveHome) {
  testsupport::TempDir dir;
  auto home = dir.path() / "users" / "me";
  std::filesystem::create_directories(home / "scratch");
  std::filesystem::create_symlink(home, dir.path() / "link-to-home");
  testsupport::EnvGuard homeGuard("HOME", home.string());
  platform::linux_os::LinuxShell shell;
  EXPECT_FALSE(shell.mayClearFolder("/"));
  EXPECT_FALSE(shell.mayClearFolder(home.string()));
  EXPECT_FALSE(shell.mayClearFolder(home.string() + "/scratch/.."));
  EXPECT_FALSE(shell.mayClearFolder((dir.path() / "link-to-home").string()));
  EXPECT_FALSE(shell.mayClearFolder((dir.path() / "users").string()));
  EXPECT_FALSE(shell.mayClearFolder((dir.path() / "missing").string()));
  EXPECT_TRUE(shell.mayClearFolder((home / "scratch").string()));
}
