// The free-space wipe of a Windows drive: the survey of a local drive and its
// lock, the drives that are refused, and a cancelled fill that leaves no file
// and gives the space back. A whole fill is never run here: the drive is the
// machine's own.
// clang-format off
// First: the view's services name the tray's WM_ numbers, which windows.h
// defines as macros.
#include "windows_services.h"
// clang-format on
#include <gtest/gtest.h>

#include <atomic>

#include "platform/windows/free_space_fill.h"
#include "platform/windows/win32.h"
#include "test_files.h"

namespace {

using platform::windows_os::volumeRefusal;
using platform::windows_os::WindowsFreeSpaceWipe;

std::int64_t freeBytes(const std::string& folder) {
  ULARGE_INTEGER available{}, total{}, totalFree{};
  GetDiskFreeSpaceExA(folder.c_str(), &available, &total, &totalFree);
  return static_cast<std::int64_t>(totalFree.QuadPart);
}

// The names in folder that the fill gives its files, hidden ones included.
int fillFilesIn(const std::string& folder) {
  WIN32_FIND_DATAA data{};
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int found = 0;
  do {
    if (std::string(data.cFileName).rfind(platform::windows_os::kFillFilePrefix, 0) == 0) ++found;
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return found;
}

TEST(WindowsFreeSpace, ALocalDriveIsSurveyedHeldAgainstASecondRunAndClearedOfLeftovers) {
  windows_test::TestFolder folder("free-space");
  // What a power cut leaves of a fill, and a file of the user's with a like name.
  const std::string leftover = folder.write("~tracesweep-free-space-17-3.tmp", "\x01\x01");
  const std::string users = folder.write("~tracesweep-free-space-notes.txt", "mine");

  windows_test::RealWindows real;
  ASSERT_TRUE(real.platform().freeSpace);
  std::unique_ptr<platform::FreeSpaceWipe> first = real.platform().freeSpace(folder.path());
  const platform::FreeSpaceDrive& drive = first->drive();
  ASSERT_EQ(drive.refusal, "");
  EXPECT_EQ(drive.mountPoint, folder.path().substr(0, 3));  // "C:\"
  EXPECT_NE(drive.fileSystem, "unknown");
  EXPECT_GT(drive.freeBytes, 0);
  EXPECT_GE(drive.totalBytes, drive.freeBytes);
  EXPECT_GE(drive.reservedBytes, 0);
  EXPECT_FALSE(drive.notes.empty());
  EXPECT_FALSE(windows_test::exists(leftover));
  EXPECT_TRUE(windows_test::exists(users));

  // Another folder on the same drive is the same drive: refused while held.
  windows_test::TestFolder other("free-space-other");
  auto second = WindowsFreeSpaceWipe::open(other.path());
  EXPECT_EQ(second->drive().refusal,
            "the free space of " + drive.mountPoint + " is being wiped by another run");
  EXPECT_EQ(second->run({}).failure, second->drive().refusal);
  second.reset();
  first.reset();
  EXPECT_EQ(WindowsFreeSpaceWipe::open(other.path())->drive().refusal, "");

  EXPECT_NE(WindowsFreeSpaceWipe::open(folder.path() + "\\missing")->drive().refusal, "");
}

TEST(WindowsFreeSpace, RefusesDrivesWhereAFillDoesNotReachDeletedData) {
  EXPECT_EQ(volumeRefusal(DRIVE_FIXED, "NTFS", 0), "");
  EXPECT_EQ(volumeRefusal(DRIVE_REMOVABLE, "FAT32", 0), "");
  EXPECT_EQ(volumeRefusal(DRIVE_REMOVABLE, "exFAT", 0), "");
  EXPECT_EQ(volumeRefusal(DRIVE_FIXED, "FAT", 0), "");
  const struct {
    unsigned type;
    const char* fileSystem;
    unsigned long flags;
    const char* why;
  } refused[] = {
      {DRIVE_FIXED, "ReFS", 0, "ReFS, which writes new data beside the old"},
      {DRIVE_REMOTE, "NTFS", 0, "network drive"},
      {DRIVE_RAMDISK, "NTFS", 0, "lives in memory"},
      {DRIVE_CDROM, "UDF", 0, "CD or DVD"},
      {DRIVE_UNKNOWN, "NTFS", 0, "does not know what kind of drive"},
      {DRIVE_FIXED, "UDF", 0, "does not know how this file system (UDF)"},
      {DRIVE_FIXED, "", 0, "(unnamed)"},
      {DRIVE_FIXED, "NTFS", FILE_READ_ONLY_VOLUME, "read-only"},
  };
  for (const auto& drive : refused)
    EXPECT_NE(volumeRefusal(drive.type, drive.fileSystem, drive.flags).find(drive.why),
              std::string::npos)
        << drive.fileSystem << " on a drive of type " << drive.type;
}

TEST(WindowsFreeSpace, ACancelledFillLeavesNoFileAndGivesTheSpaceBack) {
  windows_test::TestFolder folder("free-space-fill");
  auto wipe = WindowsFreeSpaceWipe::open(folder.path());
  ASSERT_EQ(wipe->drive().refusal, "");
  constexpr std::int64_t kCancelAt = 48 << 20, kNoise = 16 << 20;
  std::atomic<bool> cancel{false};
  std::int64_t freeDuring = 0;
  int filesDuring = 0;
  platform::FreeSpaceOptions options;
  options.cancel = &cancel;
  options.progress = [&](std::int64_t written, std::int64_t total) {
    EXPECT_GT(total, written);
    if (written < kCancelAt || cancel) return;
    freeDuring = freeBytes(folder.path());
    filesDuring = fillFilesIn(folder.path());
    cancel = true;
  };
  const std::int64_t freeBefore = freeBytes(folder.path());
  const platform::FreeSpaceResult result = wipe->run(options);

  EXPECT_TRUE(result.cancelled);
  EXPECT_EQ(result.failure, "");
  EXPECT_EQ(result.passesDone, 0);
  EXPECT_GE(result.bytesWritten, kCancelAt);
  EXPECT_LT(result.bytesWritten, kCancelAt + (8 << 20) + 1);  // not one write past the cancel
  // The fill took real space (the host's disk is shared: a margin for the others).
  EXPECT_EQ(filesDuring, 1);
  EXPECT_LE(freeDuring, freeBefore - result.bytesWritten + kNoise);
  EXPECT_EQ(fillFilesIn(folder.path()), 0);
  EXPECT_GE(freeBytes(folder.path()), freeDuring + result.bytesWritten - kNoise);
}

constexpr const char* kChildFolder = "TRACESWEEP_TEST_FILL_FOLDER";

// The child's part of the test below: a fill that, 32 MiB in, says so and
// waits to be killed.
TEST(WindowsFreeSpace, ChildOfARunKilledHalfway) {
  char folder[MAX_PATH + 1] = {};
  if (!GetEnvironmentVariableA(kChildFolder, folder, sizeof folder))
    GTEST_SKIP() << "runs only as the child of ARunKilledHalfwayLeavesNoFileAndItsSpaceFree";
  auto wipe = WindowsFreeSpaceWipe::open(folder);
  platform::FreeSpaceOptions options;
  options.progress = [&](std::int64_t written, std::int64_t) {
    if (written < (32 << 20)) return;
    CloseHandle(CreateFileA((std::string(folder) + "\\filling").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_NEW, 0, nullptr));
    for (;;) Sleep(1000);
  };
  wipe->run(options);
}

TEST(WindowsFreeSpace, ARunKilledHalfwayLeavesNoFileAndItsSpaceFree) {
  windows_test::TestFolder folder("free-space-killed");
  const std::int64_t freeBefore = freeBytes(folder.path());
  char self[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string command =
      "\"" + std::string(self) + "\" --gtest_filter=WindowsFreeSpace.ChildOfARunKilledHalfway";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = nul;
  PROCESS_INFORMATION child{};
  SetEnvironmentVariableA(kChildFolder, folder.path().c_str());
  const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &child);
  SetEnvironmentVariableA(kChildFolder, nullptr);
  CloseHandle(nul);
  ASSERT_TRUE(started);
  for (int i = 0; i < 300 && !windows_test::exists(folder.path() + "\\filling"); ++i) Sleep(100);
  const bool filling = windows_test::exists(folder.path() + "\\filling");
  const int filesDuring = fillFilesIn(folder.path());
  TerminateProcess(child.hProcess, 9);
  WaitForSingleObject(child.hProcess, 10000);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  ASSERT_TRUE(filling) << "the child's fill never reached 32 MiB";
  EXPECT_EQ(filesDuring, 1);
  // The system closes a killed process's handles; under Wine the process's
  // own descriptors go a moment after it is reported ended.
  const std::int64_t enough = freeBefore - (16 << 20);
  int waited = 0;
  for (; waited < 2000 && (fillFilesIn(folder.path()) > 0 || freeBytes(folder.path()) < enough);
       waited += 20)
    Sleep(20);
  EXPECT_EQ(fillFilesIn(folder.path()), 0);
  EXPECT_GE(freeBytes(folder.path()), enough);
  RecordProperty("ms_until_the_space_was_back", waited);
}

}  // namespace
