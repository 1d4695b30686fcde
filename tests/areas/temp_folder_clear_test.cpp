// Clearing a real temporary folder through the Linux file layer and the
// Linux judgement of the folder: what goes, what stays, and folders that are
// never cleared.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

#include "areas/system_areas.h"
#include "platform/linux/files/linux_file_layer.h"
#include "temp_dir.h"
#include "temp_platform.h"

extern char** environ;

namespace fs = std::filesystem;
using testsupport::EnvGuard;
using testsupport::readFile;

namespace areas {
namespace {

// A file layer that touches nothing and records whether a walk was asked;
// the folders it is given are judged by the real rule.
class RecordingFileLayer : public platform::fake::FakeFileLayer {
 public:
  platform::ChosenFolderOpen chooseFolder(const std::string& folder) override {
    auto real = platform::linux_os::LinuxFileLayer().chooseFolder(folder);
    if (!real.folder) return real;
    protections[real.folder->path()] = real.folder->protection();
    return FakeFileLayer::chooseFolder(real.folder->path());
  }
  int walkFiles(const std::string& folder,
                const std::function<void(const std::string&)>& onFile) override {
    walked.push_back(folder);
    return FakeFileLayer::walkFiles(folder, onFile);
  }
  std::vector<std::string> walked;
};

// A process that holds a file open until it is ended.
class FileHolder {
 public:
  explicit FileHolder(const fs::path& file) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, file.c_str(), O_RDONLY, 0);
    char sleep[] = "sleep", seconds[] = "60";
    char* argv[] = {sleep, seconds, nullptr};
    if (posix_spawnp(&pid_, "sleep", &actions, nullptr, argv, environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~FileHolder() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  bool running() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
};

class TempFolderClear : public ::testing::Test {
 protected:
  void clear(platform::FileLayer& files) {
    forms::Platform platform = test_support::withFilesAndShell(fake, files, shell);
    ClearTempFolder(platform, fileList);
  }
  void clear() { clear(realFiles); }

  testsupport::TempDir dir;
  fs::path temp = dir.path() / "tmp";
  fs::path outside = dir.path() / "outside";
  fs::path home = dir.path() / "home";
  forms::fake::FakePlatform fake;
  platform::linux_os::LinuxFileLayer realFiles;
  platform::linux_os::LinuxShell shell;
  erasure::FileList fileList;
  std::optional<EnvGuard> tmpdirEnv, homeEnv;

  void SetUp() override {
    fs::create_directories(temp);
    fs::create_directories(outside);
    fs::create_directories(home);
    tmpdirEnv.emplace("TMPDIR", temp.string());
    homeEnv.emplace("HOME", home.string());
  }
};

TEST_F(TempFolderClear, EveryFileAtEveryDepthGoesFoldersStay) {
  dir.write("tmp/a.txt", "a");
  dir.write("tmp/.hidden", "h");
  dir.write("tmp/empty", "");
  dir.write("tmp/one/b.bin", std::string(100000, 'b'));
  dir.write("tmp/one/two/three/c", "c");
  fs::create_directories(temp / "empty-folder");
  fs::path readOnly = dir.write("tmp/one/read-only.txt", "ro");
  ::chmod(readOnly.c_str(), 0400);
  ::chmod((temp / "one" / "two").c_str(), 0500);  // a folder of ours without write permission

  clear();
  for (const auto& entry : fs::recursive_directory_iterator(temp))
    EXPECT_TRUE(entry.is_directory()) << entry.path() << " should be gone";
  EXPECT_TRUE(fs::is_directory(temp / "one" / "two" / "three"));
  EXPECT_TRUE(fs::is_directory(temp / "empty-folder"));
  EXPECT_EQ(fileList.lastIndex(), 6);
}

TEST_F(TempFolderClear, LeavesWhatIsNotOnlyTheUsersOwnFile) {
  fs::path precious = outside / "precious.txt";
  std::ofstream(precious) << "keep me";
  std::ofstream(outside / "inner.txt") << "inner";
  fs::create_symlink(precious, temp / "file-link");
  fs::create_directory_symlink(outside, temp / "folder-link");
  fs::create_hard_link(precious, temp / "hard-link");
  ASSERT_EQ(mkfifo((temp / "fifo").c_str(), 0600), 0);
  int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::string socketPath = (temp / "socket").string();
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
  ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  fs::path held = dir.write("tmp/held.log", "in use");
  FileHolder holder(held);
  ASSERT_TRUE(holder.running());
  dir.write("tmp/plain.txt", "plain");

  clear();
  close(sock);
  EXPECT_FALSE(fs::exists(temp / "plain.txt"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(temp / "file-link")));
  EXPECT_FALSE(fs::exists(fs::symlink_status(temp / "folder-link")));
  EXPECT_FALSE(fs::exists(temp / "hard-link")) << "only this name goes";
  EXPECT_EQ(readFile(precious), "keep me");
  EXPECT_EQ(readFile(outside / "inner.txt"), "inner");
  EXPECT_TRUE(fs::is_fifo(temp / "fifo"));
  EXPECT_TRUE(fs::is_socket(temp / "socket"));
  EXPECT_EQ(readFile(held), "in use");
}

TEST_F(TempFolderClear, FilesOfOtherUsersStay) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give a file to another user";
  fs::path theirs = dir.write("tmp/theirs.txt", "not mine");
  ASSERT_EQ(::chown(theirs.c_str(), 54321, 54321), 0);
  dir.write("tmp/mine.txt", "mine");
  clear();
  EXPECT_EQ(readFile(theirs), "not mine");
  EXPECT_FALSE(fs::exists(temp / "mine.txt"));
}

TEST_F(TempFolderClear, HomeAndItsAncestorsAreNeverCleared) {
  fs::path homeFile = dir.write("home/document.txt", "my work");
  fs::path aboveFile = dir.write("above.txt", "above home");
  for (const fs::path& folder : {home, dir.path(), home / "sub" / ".."}) {
    fs::create_directories(home / "sub");
    EnvGuard tmpdir("TMPDIR", folder.string());
    clear();
    EXPECT_EQ(readFile(homeFile), "my work") << folder;
    EXPECT_EQ(readFile(aboveFile), "above home") << folder;
    EXPECT_EQ(fileList.lastIndex(), 0);
  }
  // A link to home is home.
  fs::create_directory_symlink(home, outside / "home-link");
  EnvGuard tmpdir("TMPDIR", (outside / "home-link").string());
  clear();
  EXPECT_EQ(readFile(homeFile), "my work");
}

TEST_F(TempFolderClear, RootIsNeverCleared) {
  // Judged by the real rules but over a file layer that touches nothing.
  RecordingFileLayer files;
  files.folders["/"] = {{"etc", platform::kAttrDirectory}, {"file", 0}};
  files.lengths["/file"] = 1;
  for (const char* root : {"/", "//", "/tmp/.."}) {
    EnvGuard tmpdir("TMPDIR", root);
    clear(files);
  }
  EXPECT_TRUE(files.walked.empty());
  EXPECT_TRUE(files.deleted.empty());
}

}  // namespace
}  // namespace areas
