// Where no overwrite reaches the old data (a copy-on-write file system, one
// in memory, blocks shared with a copy), files are removed as asked but never
// called wiped, and the report says why, once per file system.
#include "platform/linux/files/old_copies.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/magic.h>
#include <sys/mount.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "erase/wipe_choice.h"
#include "platform/linux/common/posix_fd.h"
#include "real_files_platform.h"
#include "temp_dir.h"

namespace fs = std::filesystem;
using erasure::WipeOutcome;

namespace {

bool isFileSystem(const fs::path& path, long magic) {
  struct statfs st {};
  return statfs(path.c_str(), &st) == 0 && st.f_type == magic;
}

void expectRemovedNotWiped(forms::Platform& platform, const fs::path& folder,
                           const std::string& fileSystem,
                           WipeOutcome outcome = WipeOutcome::OldCopiesKept,
                           const std::string& words = "this file system keeps old copies") {
  std::ofstream(folder / "secret") << std::string(100000, 'S');
  std::ofstream(folder / "other") << "other";
  erasure::WipeChoice choice(platform, folder.string());
  ASSERT_TRUE(choice.list());
  erasure::WipeReport report = choice.wipe(3);
  const erasure::WipeCounts counts = report.counts();
  EXPECT_EQ(counts.wiped, 0);
  EXPECT_EQ(counts.removedOnly, 2);
  for (const auto& result : report.results) {
    EXPECT_EQ(result.outcome, outcome) << result.path;
    EXPECT_EQ(result.reason, words + " (" + fileSystem + ")");
  }
  EXPECT_EQ(report.summary(), "0File(s) wiped\n\n2 file(s) removed without overwriting:\n2 on " +
                                  fileSystem + ": " + words);
  EXPECT_FALSE(fs::exists(folder / "secret"));
  EXPECT_FALSE(fs::exists(folder / "other"));
}

TEST(OldCopies, AFileSystemInMemoryIsNotOverwrittenButEmptied) {
  if (!isFileSystem("/dev/shm", TMPFS_MAGIC)) GTEST_SKIP() << "/dev/shm is not a tmpfs here";
  char name[] = "/dev/shm/tracesweep-test-XXXXXX";
  ASSERT_NE(mkdtemp(name), nullptr);
  erasetest::RealFilesPlatform real;
  expectRemovedNotWiped(real.bundle, name, "tmpfs", WipeOutcome::InMemory,
                        "this file system lives in memory and swap");
  fs::remove_all(name);
}

// A loop-mounted btrfs image: the file system keeps old copies, and a
// reflinked copy shares its blocks.
class Btrfs : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "mounting a btrfs image needs root";
    if (std::system("command -v mkfs.btrfs >/dev/null 2>&1") != 0)
      GTEST_SKIP() << "mkfs.btrfs (btrfs-progs) is not installed";
    const std::string image = (dir.path() / "btrfs.img").string();
    mountPoint = dir.path() / "mnt";
    fs::create_directories(mountPoint);
    const std::string make = "truncate -s 256M " + image + " && mkfs.btrfs -q -f " + image +
                             " >/dev/null 2>&1 && mount -o loop " + image + " " +
                             mountPoint.string() + " 2>/dev/null";
    if (std::system(make.c_str()) != 0)
      GTEST_SKIP() << "no loop device or btrfs support here to mount a btrfs image";
    mounted = true;
  }
  void TearDown() override {
    if (mounted) ::umount2(mountPoint.c_str(), MNT_DETACH);
  }

  testsupport::TempDir dir;
  fs::path mountPoint;
  bool mounted = false;
};

TEST_F(Btrfs, FilesAreRemovedWithoutOverwritingAndReportedSo) {
  fs::create_directories(mountPoint / "folder");
  erasetest::RealFilesPlatform real;
  expectRemovedNotWiped(real.bundle, mountPoint / "folder", "btrfs");

  // The single-file wipe says the same.
  std::ofstream(mountPoint / "single") << "single";
  auto result = erasure::WipeFile(real.bundle, (mountPoint / "single").string(), 7);
  EXPECT_EQ(result.outcome, WipeOutcome::OldCopiesKept);
  EXPECT_FALSE(result.destroyed());
  EXPECT_FALSE(fs::exists(mountPoint / "single"));
}

TEST_F(Btrfs, AReflinkedCopySharesItsBlocks) {
  std::ofstream(mountPoint / "original") << std::string(1 << 20, 'R');
  ASSERT_EQ(std::system(("sync && cp --reflink=always " + (mountPoint / "original").string() + " " +
                         (mountPoint / "copy").string())
                            .c_str()),
            0);
  ::sync();
  platform::linux_os::UniqueFd copy(::open((mountPoint / "copy").c_str(), O_RDONLY));
  EXPECT_TRUE(platform::linux_os::hasSharedBlocks(copy.get()));
  std::ofstream(dir.path() / "plain") << std::string(1 << 20, 'P');
  ::sync();
  platform::linux_os::UniqueFd plain(::open((dir.path() / "plain").c_str(), O_RDONLY));
  EXPECT_FALSE(platform::linux_os::hasSharedBlocks(plain.get()));
}

}  // namespace
