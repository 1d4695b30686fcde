// The one folder-safety rule judges what was opened, however it was named:
// relative to the working folder, through "..", or through a link.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/linux/files/linux_file_layer.h"
#include "temp_dir.h"

namespace fs = std::filesystem;
using platform::FolderProtection;

namespace {

struct WorkingFolder {
  explicit WorkingFolder(const fs::path& path) : old(fs::current_path()) { fs::current_path(path); }
  ~WorkingFolder() { fs::current_path(old); }
  fs::path old;
};

TEST(FolderRule, HomeIsHomeHoweverItIsTyped) {
  testsupport::TempDir dir;
  fs::path home = dir.path() / "users" / "me";
  fs::create_directories(home / "Documents");
  fs::create_directory_symlink(dir.path() / "users", dir.path() / "people");
  testsupport::EnvGuard homeEnv("HOME", home.string());
  platform::linux_os::LinuxFileLayer files;
  auto judged = [&](const std::string& typed) {
    auto chosen = files.chooseFolder(typed);
    EXPECT_TRUE(chosen.folder) << typed;
    return chosen.folder ? chosen.folder->protection() : FolderProtection::None;
  };
  {
    WorkingFolder here(home);
    EXPECT_EQ(judged("."), FolderProtection::Home);
    EXPECT_EQ(judged("./"), FolderProtection::Home);
    EXPECT_EQ(judged("Documents/.."), FolderProtection::Home);
    EXPECT_EQ(judged(".."), FolderProtection::HoldsHome);
    EXPECT_EQ(judged("Documents"), FolderProtection::None);
    EXPECT_EQ(files.chooseFolder(".").path, fs::canonical(home).string());
  }
  EXPECT_EQ(judged((dir.path() / "people" / "me").string()), FolderProtection::Home);
  EXPECT_EQ(judged(dir.str()), FolderProtection::HoldsHome);
  EXPECT_EQ(judged("/"), FolderProtection::Root);
  EXPECT_EQ(judged("//"), FolderProtection::Root);
  for (const char* system : {"/usr", "/usr/share", "/etc/", "/var", "/dev", "/proc/self/.."})
    EXPECT_EQ(judged(system), FolderProtection::System) << system;
  if (fs::is_directory("/var/lib")) {
    EXPECT_EQ(judged("/var/lib"), FolderProtection::System);
  }
  // Another account's own home folder, wherever it lies.
  setpwent();
  while (const passwd* pw = getpwent()) {
    struct stat st {};
    if (pw->pw_uid == getuid() || !pw->pw_dir || stat(pw->pw_dir, &st) != 0 ||
        !S_ISDIR(st.st_mode) || st.st_uid != pw->pw_uid || std::string(pw->pw_dir) == "/")
      continue;
    EXPECT_EQ(judged(pw->pw_dir), FolderProtection::OtherUsersHome) << pw->pw_dir;
  }
  endpwent();
  if (fs::is_directory("/var/tmp")) {
    EXPECT_EQ(judged("/var/tmp"), FolderProtection::None);
  }
}

}  // namespace
