#include "platform/linux/common/folder_safety.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "temp_dir.h"

namespace fs = std::filesystem;

namespace platform::linux_os {
namespace {

TEST(MayClearFolder, NeverRootHomeOrAboveHome) {
  testsupport::TempDir dir;
  fs::path home = dir.path() / "users" / "me";
  fs::create_directories(home / "tmp");
  fs::create_directories(dir.path() / "tmp");
  testsupport::EnvGuard homeEnv("HOME", home.string());

  EXPECT_TRUE(MayClearFolder((dir.path() / "tmp").string() + "/"));
  EXPECT_TRUE(MayClearFolder((home / "tmp").string())) << "a folder below home is fine";

  EXPECT_FALSE(MayClearFolder("/"));
  EXPECT_FALSE(MayClearFolder("//"));
  EXPECT_FALSE(MayClearFolder(home.string() + "/"));
  EXPECT_FALSE(MayClearFolder((home / "tmp" / "..").string()));
  EXPECT_FALSE(MayClearFolder((dir.path() / "users").string()));
  EXPECT_FALSE(MayClearFolder(dir.str()));
  EXPECT_FALSE(MayClearFolder((dir.path() / "missing").string()));
  EXPECT_FALSE(MayClearFolder(""));

  // Links are resolved: a link to home is home.
  fs::create_directory_symlink(home, dir.path() / "tmp" / "home-link");
  EXPECT_FALSE(MayClearFolder((dir.path() / "tmp" / "home-link").string() + "/"));
  // And a home reached through a link is protected under its real name too.
  fs::create_directory_symlink(home, dir.path() / "linked-home");
  testsupport::EnvGuard linkedHome("HOME", (dir.path() / "linked-home").string());
  EXPECT_FALSE(MayClearFolder(home.string()));
  EXPECT_FALSE(MayClearFolder((dir.path() / "users").string()));
}

TEST(MayClearFolder, NeverTheSystemsOwnFolders) {
  for (const char* folder : {"/usr", "/usr/share", "/etc/", "/var", "/proc/self", "/dev"})
    EXPECT_FALSE(MayClearFolder(folder)) << folder;
  if (fs::is_directory("/var/tmp")) {
    EXPECT_TRUE(MayClearFolder("/var/tmp/"));
  }
}

}  // namespace
}  // namespace platform::linux_os
