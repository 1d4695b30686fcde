#include "erase/secure_wipe.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "file_holder.h"
#include "identity.h"
#include "real_files_platform.h"
#include "temp_dir.h"

namespace fs = std::filesystem;
using erasetest::FileHolder;
using erasure::WipeOutcome;
using testsupport::readFile;

namespace {

class SecureWipeTest : public ::testing::Test {
 protected:
  erasetest::RealFilesPlatform real;
  forms::Platform& platform = real.bundle;
  testsupport::TempDir dir;

  // Wipes path and returns what the file held after each pass.
  std::vector<std::string> passContents(const fs::path& path, int passes,
                                        erasure::WipeResult* out = nullptr) {
    std::vector<std::string> seen;
    auto result = erasure::WipeFile(platform, path.string(), passes,
                                    [&](int) { seen.push_back(readFile(path)); });
    if (out) *out = result;
    return seen;
  }
};

bool allOnes(const std::string& bytes) {
  return bytes.find_first_not_of('\x01') == std::string::npos;
}

TEST_F(SecureWipeTest, EachPassWritesOnesUpToOneBlockPastTheEnd) {
  struct Case {
    std::size_t length;
    int passes;
    std::vector<std::size_t> lengths;
  };
  const std::vector<Case> cases = {{0, 3, {1024, 2048, 3072}},
                                   {3000, 3, {3072, 4096, 5120}},
                                   {1024, 1, {2048}},
                                   {3000, 7, {3072, 4096, 5120, 6144, 7168, 8192, 9216}}};
  for (const Case& c : cases) {
    auto path = dir.write("f" + std::to_string(c.length), std::string(c.length, 'S'));
    erasure::WipeResult result;
    auto seen = passContents(path, c.passes, &result);
    ASSERT_EQ(seen.size(), c.lengths.size()) << c.length;
    for (std::size_t i = 0; i < seen.size(); ++i) {
      EXPECT_EQ(seen[i].size(), c.lengths[i]) << c.length << " pass " << i + 1;
      EXPECT_TRUE(allOnes(seen[i])) << c.length << " pass " << i + 1;
    }
    EXPECT_EQ(result.outcome, WipeOutcome::Wiped);
    EXPECT_FALSE(fs::exists(path));
  }
}

TEST_F(SecureWipeTest, LargeFileIsOverwrittenInPlaceToTheEnd) {
  // Sparse, so the test stays small on disk; the engine still covers it all.
  auto path = dir.write("big", "secret");
  const std::int64_t length = (std::int64_t{1} << 20) * 5 + 77;
  fs::resize_file(path, static_cast<std::uintmax_t>(length));
  struct stat before {};
  stat(path.c_str(), &before);
  bool checked = false;
  erasure::WipeFile(platform, path.string(), 1, [&](int) {
    struct stat after {};
    stat(path.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);  // never re-created
    EXPECT_EQ(after.st_size, (length / 1024 + 1) * 1024);
    std::string bytes = readFile(path);
    EXPECT_TRUE(allOnes(bytes));
    checked = true;
  });
  EXPECT_TRUE(checked);
  EXPECT_FALSE(fs::exists(path));
}

TEST_F(SecureWipeTest, NoPassesDeletesWithoutWriting) {
  auto path = dir.write("zero", "content");
  int calls = 0;
  for (int passes : {0, -2}) {
    dir.write("zero", "content");
    auto result = erasure::WipeFile(platform, path.string(), passes, [&](int) { ++calls; });
    EXPECT_EQ(result.outcome, WipeOutcome::Deleted);
    EXPECT_FALSE(fs::exists(path));
  }
  EXPECT_EQ(calls, 0);
}

TEST_F(SecureWipeTest, ReadOnlyFileIsOverwrittenThenRemoved) {
  auto path = dir.write("ro", "read only secret");
  chmod(path.c_str(), 0444);
  auto seen = passContents(path, 2);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_TRUE(allOnes(seen[0]));
  EXPECT_FALSE(fs::exists(path));
}

// An ordinary user cannot write a read-only file; the engine makes it
// writable through the descriptor it holds. Run as root, the check runs in a
// child that has become the unprivileged user "nobody".
TEST_F(SecureWipeTest, ReadOnlyFileOfAnOrdinaryUserIsMadeWritableThroughItsDescriptor) {
  const bool root = erasetest::runningAsRoot();
  const uid_t nobody = 65534;
  fs::path folder = dir.path() / "user";
  fs::create_directory(folder);
  if (root) {
    chmod(dir.path().c_str(), 0711);
    ASSERT_EQ(chown(folder.c_str(), nobody, nobody), 0);
  }
  auto check = [&]() -> int {  // 0 when all is well, else the failed step
    auto path = folder / "ro";
    if (!(std::ofstream(path, std::ios::binary) << "read only secret")) return 10;
    if (chmod(path.c_str(), 0400) != 0) return 11;
    auto seen = passContents(path, 1);
    if (seen.size() != 1) return 12;
    if (seen[0].size() != 1024 || !allOnes(seen[0])) return 13;
    return fs::exists(path) ? 14 : 0;
  };
  if (!root) {
    EXPECT_EQ(check(), 0);
    return;
  }
  pid_t child = fork();
  if (child == 0) {
    if (setgid(nobody) != 0 || setuid(nobody) != 0) _exit(20);
    _exit(check());
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "failed step " << WEXITSTATUS(status);
}

TEST_F(SecureWipeTest, MissingFileIsReportedAndNothingAppears) {
  auto path = dir.path() / "absent";
  auto result = erasure::WipeFile(platform, path.string(), 3);
  EXPECT_EQ(result.outcome, WipeOutcome::Missing);
  EXPECT_FALSE(fs::exists(path));  // never created by the wipe
  EXPECT_TRUE(real.fakes.msgbox.shown.empty());
}

TEST_F(SecureWipeTest, CheckFileTellsEmptyAbsentAndBrokenPathsApart) {
  auto empty = dir.write("empty", "");
  auto full = dir.write("full", "x");
  EXPECT_TRUE(erasure::CheckFile(platform, full.string()).hasContent);
  EXPECT_FALSE(erasure::CheckFile(platform, empty.string()).hasContent);
  const erasure::FileCheck absent = erasure::CheckFile(platform, (dir.path() / "absent").string());
  EXPECT_FALSE(absent.hasContent);
  EXPECT_EQ(absent.problem, "");

  const erasure::FileCheck broken =
      erasure::CheckFile(platform, (dir.path() / "no-folder" / "f").string());
  EXPECT_FALSE(broken.hasContent);
  EXPECT_EQ(broken.problem, real.files.errorText(platform::kErrPathNotFound));
  EXPECT_TRUE(real.fakes.msgbox.shown.empty());
}

TEST_F(SecureWipeTest, ForceDeleteRemovesReadOnlyFiles) {
  auto path = dir.write("ro", "x");
  chmod(path.c_str(), 0444);
  erasure::ForceDelete(platform, path.string());
  EXPECT_FALSE(fs::exists(path));
  erasure::ForceDelete(platform, path.string());  // missing: silent
  EXPECT_TRUE(real.fakes.msgbox.shown.empty());
}

TEST_F(SecureWipeTest, LinksFifosAndHardLinksLeaveEverythingElseIntact) {
  testsupport::TempDir outside;
  auto target = outside.write("target", "outside data");
  auto shared = outside.write("shared", "shared data");
  fs::create_symlink(target, dir.path() / "link");
  fs::create_hard_link(shared, dir.path() / "hard");
  mkfifo((dir.path() / "fifo").c_str(), 0600);

  auto link = erasure::WipeFile(platform, (dir.path() / "link").string(), 3);
  EXPECT_EQ(link.outcome, WipeOutcome::LinkRemoved);
  EXPECT_FALSE(fs::is_symlink(dir.path() / "link"));
  EXPECT_EQ(readFile(target), "outside data");

  auto hard = erasure::WipeFile(platform, (dir.path() / "hard").string(), 3);
  EXPECT_EQ(hard.outcome, WipeOutcome::Deleted);
  EXPECT_FALSE(hard.reason.empty());
  EXPECT_EQ(readFile(shared), "shared data");

  auto fifo = erasure::WipeFile(platform, (dir.path() / "fifo").string(), 3);
  EXPECT_EQ(fifo.outcome, WipeOutcome::NotRegular);
  EXPECT_TRUE(fs::is_fifo(dir.path() / "fifo"));
}

TEST_F(SecureWipeTest, FilesHeldByAnotherProcessAreLeftUntouched) {
  for (auto mode : {FileHolder::Mode::Read, FileHolder::Mode::Write, FileHolder::Mode::MapOnly}) {
    auto path = dir.write("busy", "busy content");
    FileHolder holder(path.string(), mode);
    ASSERT_TRUE(holder.holding());
    auto result = erasure::WipeFile(platform, path.string(), 3);
    EXPECT_EQ(result.outcome, WipeOutcome::InUse) << static_cast<int>(mode);
    EXPECT_EQ(readFile(path), "busy content") << static_cast<int>(mode);
  }
}

TEST_F(SecureWipeTest, BatchWipesEveryFileAndReportsEachOutcome) {
  testsupport::TempDir outside;
  auto target = outside.write("target", "keep");
  std::vector<std::string> paths;
  for (int i = 0; i < 300; ++i)  // more than one group
    paths.push_back(dir.write("f" + std::to_string(i), std::string(i * 7, 'A')).string());
  fs::create_symlink(target, dir.path() / "link");
  paths.push_back((dir.path() / "link").string());
  paths.push_back((dir.path() / "gone").string());
  std::vector<std::int64_t> progress;
  erasure::BatchOptions options;
  options.progress = [&](std::int64_t done, std::int64_t total, const std::string&) {
    progress.push_back(done);
    EXPECT_EQ(total, 302);
  };
  auto results = erasure::WipeFiles(platform, paths, 2, options);
  ASSERT_EQ(results.size(), paths.size());
  for (int i = 0; i < 300; ++i) {
    EXPECT_EQ(results[i].outcome, WipeOutcome::Wiped) << i << results[i].reason;
    EXPECT_FALSE(fs::exists(paths[i]));
  }
  EXPECT_EQ(results[300].outcome, WipeOutcome::LinkRemoved);
  EXPECT_EQ(results[301].outcome, WipeOutcome::Missing);
  EXPECT_EQ(readFile(target), "keep");
  // One call as each file's last pass begins or as it is settled, then the end.
  ASSERT_EQ(progress.size(), paths.size() + 1);
  EXPECT_EQ(progress.front(), 0);
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_EQ(progress.back(), 302);
}

// A batch below a chosen folder reaches every file through it: below it no
// link is followed, and a path climbing out of it is refused.
TEST_F(SecureWipeTest, BatchBelowAChosenFolderStaysInsideIt) {
  testsupport::TempDir outside;
  auto precious = outside.write("sub/f", "precious");
  auto stray = dir.write("stray", "stray");
  auto inside = dir.write("tree/own", "own");
  fs::create_directory_symlink(outside.path() / "sub", dir.path() / "tree" / "sub");
  auto chosen = platform.files.chooseFolder((dir.path() / "tree").string() + "/");
  ASSERT_TRUE(chosen.folder);
  chosen.folder->walkFiles([](const std::string&) {});
  auto results = erasure::WipeFilesBelow(platform, *chosen.folder, {"own", "sub/f", "../stray"}, 1);
  ASSERT_EQ(results.size(), 3u);
  EXPECT_EQ(results[0].path, inside.string());
  EXPECT_EQ(results[0].outcome, WipeOutcome::Wiped) << results[0].reason;
  EXPECT_EQ(results[1].outcome, WipeOutcome::Missing);
  EXPECT_EQ(results[2].outcome, WipeOutcome::Failed);
  EXPECT_EQ(readFile(precious), "precious");
  EXPECT_EQ(readFile(stray), "stray");
}

}  // namespace
