// The shell, the process and the URL history object of Windows.
// clang-format off
// First: the view's services name the tray's WM_ numbers, which windows.h
// defines as macros.
#include "windows_services.h"
// clang-format on
#include <gtest/gtest.h>

#include "platform/windows/folder_safety.h"
#include "platform/windows/win32.h"
#include "platform/windows/windows_process.h"
#include "platform/windows/windows_url_history.h"
#include "traces/url_history.h"

namespace {

using platform::windows_os::FolderVerdict;
using platform::windows_os::judgeFolder;

std::string knownFolder(int csidl) {
  char buffer[MAX_PATH + 1] = {};
  SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer);
  return buffer;
}

TEST(WindowsProcess, OneCopyPerUserAndTheProgramsOwnFile) {
  platform::windows_os::WindowsProcess first, second;
  EXPECT_FALSE(first.previousInstance());
  EXPECT_TRUE(second.previousInstance());
  EXPECT_FALSE(first.previousInstance());  // the answer is kept
  EXPECT_EQ(first.programName(), "test_platform_windows");
  const std::string folder = first.programFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '\\');
  EXPECT_NE(GetFileAttributesA((folder + "\\test_platform_windows.exe").c_str()),
            INVALID_FILE_ATTRIBUTES);
  const std::string data = first.userDataFolder();
  ASSERT_FALSE(data.empty());
  EXPECT_TRUE(GetFileAttributesA(data.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(WindowsShell, TempFolderEndsInASeparatorAndTheSafetyRuleHolds) {
  windows_test::RealWindows real;
  auto& shell = real.platform().shell;
  const std::string temp = shell.tempPath();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '\\');
  EXPECT_TRUE(shell.mayClearFolder(temp));

  const std::string profile = knownFolder(CSIDL_PROFILE);
  EXPECT_EQ(judgeFolder("C:\\"), FolderVerdict::DriveRoot);
  EXPECT_EQ(judgeFolder(knownFolder(CSIDL_WINDOWS)), FolderVerdict::SystemFolder);
  EXPECT_EQ(judgeFolder(knownFolder(CSIDL_WINDOWS) + "\\system32"), FolderVerdict::SystemFolder);
  EXPECT_EQ(judgeFolder(knownFolder(CSIDL_PROGRAM_FILES)), FolderVerdict::SystemFolder);
  EXPECT_EQ(judgeFolder(profile), FolderVerdict::ProfileOrAbove);
  EXPECT_EQ(judgeFolder(profile + "\\.."), FolderVerdict::ProfileOrAbove);
  EXPECT_EQ(judgeFolder("C:\\no such folder of ours"), FolderVerdict::Missing);
  EXPECT_FALSE(shell.mayClearFolder(profile));

  // Another user's profile, beside ours.
  const std::string other = profile.substr(0, profile.find_last_of('\\')) + "\\tracesweep-other";
  CreateDirectoryA(other.c_str(), nullptr);
  EXPECT_EQ(judgeFolder(other), FolderVerdict::OtherUser);
  RemoveDirectoryA(other.c_str());
}

TEST(WindowsShell, TempFolderComesFromTheEnvironmentLikeGetTempPath) {
  windows_test::RealWindows real;
  const std::string folder = knownFolder(CSIDL_LOCAL_APPDATA) + "\\tracesweep-temp-test";
  CreateDirectoryA(folder.c_str(), nullptr);
  char oldTmp[MAX_PATH + 1] = {};
  const DWORD had = GetEnvironmentVariableA("TMP", oldTmp, sizeof oldTmp);
  SetEnvironmentVariableA("TMP", folder.c_str());
  EXPECT_EQ(real.platform().shell.tempPath(), folder + "\\");
  SetEnvironmentVariableA("TMP", (folder + "\\missing").c_str());
  EXPECT_EQ(real.platform().shell.tempPath(), "");  // never another folder
  SetEnvironmentVariableA("TMP", had ? oldTmp : nullptr);
  RemoveDirectoryA(folder.c_str());
}

// On Windows the store adds, lists and clears; Wine's history object is a
// stub that refuses (E_NOTIMPL). Either way nothing crashes and a refusal
// reaches the caller as an error with the system's words.
TEST(WindowsUrlHistory, StoreWorksOrFailsCleanly) {
  platform::windows_os::WindowsHistoryFactory factory;
  auto store = factory.create();
  if (!store) {
    EXPECT_FALSE(factory.lastErrorText().empty());
    return;
  }
  try {
    traces::CURLHistory history(std::move(store));
    history.AddURL("http://tracesweep.test/visited", "Visited", 0);
    history.Refresh();
    bool found = false;
    for (const traces::URLHistoryItem* item : history)
      if (item->URL() == "http://tracesweep.test/visited") found = true;
    EXPECT_TRUE(found);
    history.DeleteURL("http://tracesweep.test/visited", 0);
  } catch (const traces::HistoryError& error) {
    EXPECT_NE(std::string(error.what()).find("history store"), std::string::npos) << error.what();
  }
}

}  // namespace
