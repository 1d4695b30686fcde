#include "platform/linux/system/linux_process.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "temp_dir.h"

extern char** environ;

namespace platform::linux_os {
namespace {

namespace fs = std::filesystem;
using testsupport::EnvGuard;
using testsupport::TempDir;

// A second copy of the program, kept running until told to end.
class OtherCopy {
 public:
  OtherCopy() {
    if (pipe(ready_) != 0 || pipe(release_) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      LinuxProcess process;
      char answer = process.previousInstance() ? 'y' : 'n';
      (void)!write(ready_[1], &answer, 1);
      (void)!read(release_[0], &answer, 1);
      _exit(0);
    }
    (void)!read(ready_[0], &sawAnother_, 1);
  }
  ~OtherCopy() { end(); }
  char sawAnother() const { return sawAnother_; }
  void end() {
    if (pid_ <= 0) return;
    char go = 'x';
    (void)!write(release_[1], &go, 1);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
    for (int fd : {ready_[0], ready_[1], release_[0], release_[1]}) close(fd);
  }

 private:
  int ready_[2] = {-1, -1};
  int release_[2] = {-1, -1};
  pid_t pid_ = -1;
  char sawAnother_ = '?';
};

TEST(LinuxProcess, ASecondCopyIsSeenUntilTheFirstEnds) {
  TempDir dir;
  EnvGuard runtime("XDG_RUNTIME_DIR", dir.str());
  {
    OtherCopy first;
    ASSERT_EQ(first.sawAnother(), 'n');
    LinuxProcess second;
    EXPECT_TRUE(second.previousInstance());
    first.end();
    EXPECT_TRUE(second.previousInstance());  // the answer of the first call stands
    EXPECT_FALSE(LinuxProcess().previousInstance());
  }
  EXPECT_TRUE(fs::exists(dir.path() / "tracesweep.lock"));
}

TEST(LinuxProcess, WithoutARuntimeFolderThePrivateCacheFolderHoldsTheLock) {
  TempDir dir;
  EnvGuard runtime("XDG_RUNTIME_DIR", "");
  EnvGuard cache("XDG_CACHE_HOME", dir.str() + "/cache");
  EXPECT_EQ(InstanceLock::defaultFile(), dir.str() + "/cache/tracesweep/tracesweep.lock");
  struct stat st {};
  ASSERT_EQ(stat((dir.str() + "/cache/tracesweep").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  OtherCopy first;
  EXPECT_EQ(first.sawAnother(), 'n');
  EXPECT_TRUE(LinuxProcess().previousInstance());
  EXPECT_TRUE(fs::exists(dir.path() / "cache/tracesweep/tracesweep.lock"));
}

TEST(LinuxProcess, AnUnusableRuntimeFolderFallsBackInsteadOfAllowingTwoCopies) {
  TempDir dir;
  fs::create_directories(dir.path() / "run/tracesweep.lock");  // cannot be opened as a file
  EnvGuard runtime("XDG_RUNTIME_DIR", dir.str() + "/run");
  EnvGuard cache("XDG_CACHE_HOME", dir.str() + "/cache");
  OtherCopy first;
  EXPECT_EQ(first.sawAnother(), 'n');
  EXPECT_TRUE(LinuxProcess().previousInstance());
}

TEST(LinuxProcess, ProgramsWeStartDoNotInheritTheLock) {
  TempDir dir;
  EnvGuard runtime("XDG_RUNTIME_DIR", dir.str());
  LinuxProcess process;
  ASSERT_FALSE(process.previousInstance());
  pid_t child = 0;
  std::string sleepName = "sleep", seconds = "30";
  char* argv[] = {sleepName.data(), seconds.data(), nullptr};
  ASSERT_EQ(posix_spawnp(&child, "sleep", nullptr, nullptr, argv, environ), 0);
  bool inherited = false;
  // The child's table is complete once it runs sleep; until then it may be a copy of ours.
  for (int i = 0;
       i < 200 && fs::read_symlink("/proc/" + std::to_string(child) + "/exe").filename() != "sleep";
       ++i)
    usleep(10000);
  for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(child) + "/fd")) {
    std::error_code ec;
    if (fs::read_symlink(fd.path(), ec) == dir.path() / "tracesweep.lock") inherited = true;
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  EXPECT_FALSE(inherited);
}

TEST(LinuxProcess, IdentityComesFromTheRunningFile) {
  LinuxProcess process;
  fs::path exe = fs::read_symlink("/proc/self/exe");
  EXPECT_EQ(process.programFolder(), exe.parent_path().string());
  EXPECT_EQ(process.programName(), exe.stem().string());
  EXPECT_EQ(process.programName(), "test_platform_system");

  TempDir dir;
  EnvGuard data("XDG_DATA_HOME", dir.str() + "/data");
  EXPECT_EQ(process.userDataFolder(), dir.str() + "/data/tracesweep");
  EXPECT_TRUE(fs::is_directory(dir.path() / "data/tracesweep"));
}

}  // namespace
}  // namespace platform::linux_os
