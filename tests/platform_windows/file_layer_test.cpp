// The file layer of Windows: the program's error numbers (75 for a read-only
// file, in use for a sharing violation), the secure overwrite, and the
// clearing of the temporary folder past a junction and a file held open.
// clang-format off
// First: the view's services name the tray's WM_ numbers, which windows.h
// defines as macros.
#include "windows_services.h"
// clang-format on
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/frmmain.h"
#include "app/modmain.h"
#include "app/temp_folder_wait.h"
#include "erase/secure_wipe.h"
#include "platform/windows/folder_safety.h"
#include "platform/windows/win32.h"
#include "test_files.h"

namespace {

using windows_test::exists;
using windows_test::readAll;
using windows_test::TestFolder;

// Holds a file open as another program would: reading, sharing reads and writes.
class HeldOpen {
 public:
  explicit HeldOpen(const std::string& path)
      : handle_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr)) {}
  ~HeldOpen() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

TEST(WindowsFileLayer, ReadOnlyAndSharingErrorsAreMappedAsTheProgramExpects) {
  TestFolder folder("errors");
  windows_test::RealWindows real;
  auto& files = real.platform().files;

  const std::string readOnly = folder.write("read-only.txt", "kept");
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(files.deleteFile(readOnly), platform::kErrPathFileAccess);  // 5 -> 75
  EXPECT_EQ(files.setAttributes(readOnly, platform::kAttrNormal), 0);
  EXPECT_EQ(files.deleteFile(readOnly), 0);
  EXPECT_EQ(files.deleteFile(readOnly), platform::kErrFileNotFound);
  std::int64_t length = -1;
  EXPECT_EQ(files.fileLength(readOnly, length), platform::kErrFileNotFound);

  // A file another program holds open: a sharing violation (32), so in use.
  const std::string held = folder.write("held.txt", "held open");
  HeldOpen other(held);
  ASSERT_TRUE(other.held());
  auto session = files.beginOverwrite({});
  EXPECT_EQ(session->open(held).kind, platform::OverwriteKind::InUse);
  const auto result = erasure::WipeFile(real.platform(), held, 3);
  EXPECT_EQ(result.outcome, erasure::WipeOutcome::InUse);
  EXPECT_EQ(readAll(held), "held open");

  // Listing: files with their attributes, never "." or "..".
  const std::string hidden = folder.write("hidden.txt", "h");
  SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
  bool sawHidden = false;
  for (const auto& entry : files.listFolder(folder.path() + "\\")) {
    EXPECT_NE(entry.name, ".");
    EXPECT_NE(entry.name, "..");
    if (entry.name == "hidden.txt") sawHidden = entry.attributes & platform::kAttrHidden;
  }
  EXPECT_TRUE(sawHidden);
}

TEST(WindowsFileLayer, WipeOverwritesInPlaceEveryPassAndRemovesReadOnlyFiles) {
  TestFolder folder("wipe");
  windows_test::RealWindows real;
  const std::string content(5000, 'x');
  const std::string file = folder.write("secret.txt", content);
  SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
  // Between passes the file is read through the session's own target.
  auto session = real.platform().files.beginOverwrite({});
  auto opened = session->open(file);
  ASSERT_EQ(opened.kind, platform::OverwriteKind::Opened);
  std::int64_t length = 0;
  ASSERT_EQ(opened.target->length(length), 0);
  EXPECT_EQ(length, 5000);
  const unsigned char ones[4] = {1, 1, 1, 1};
  ASSERT_EQ(opened.target->writeAt(4996, ones, 4), 0);
  ASSERT_EQ(opened.target->syncData(), 0);
  opened.target->close();
  EXPECT_EQ(readAll(file), std::string(4996, 'x') + "\x01\x01\x01\x01");
  ASSERT_EQ(opened.target->remove(), 0);
  EXPECT_FALSE(exists(file));

  const std::string other = folder.write("other.txt", content);
  SetFileAttributesA(other.c_str(), FILE_ATTRIBUTE_READONLY);
  int passes = 0;
  const auto result = erasure::WipeFile(real.platform(), other, 3, [&](int) { ++passes; });
  EXPECT_EQ(result.outcome, erasure::WipeOutcome::Wiped) << result.reason;
  EXPECT_EQ(passes, 3);
  EXPECT_FALSE(exists(other));
}

TEST(WindowsFileLayer, TempFolderIsClearedButNeverPastAJunctionOrAFileInUse) {
  TestFolder outside("outside");  // goes last: the link in temp leads there
  TestFolder temp("temp");
  const std::string kept = outside.write("keep.txt", "not the temporary folder's");
  temp.write("a.txt", "a");
  temp.write("sub\\deep\\b.txt", "b");
  const std::string readOnly = temp.write("read-only.txt", "r");
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  const std::string held = temp.write("held.txt", "held open");
  const std::string junction = temp.path() + "\\link";
  ASSERT_TRUE(windows_test::makeJunction(junction, outside.path()));
  ASSERT_TRUE(GetFileAttributesA(junction.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
  ASSERT_TRUE(exists(junction + "\\keep.txt"));

  char oldTmp[MAX_PATH + 1] = {};
  const DWORD had = GetEnvironmentVariableA("TMP", oldTmp, sizeof oldTmp);
  SetEnvironmentVariableA("TMP", temp.path().c_str());
  {
    HeldOpen other(held);
    windows_test::RealWindows real;
    app::Modmain app(real.platform());
    app::ClearTempFolder(real.platform(), app.loadMainForm(), app.FileList);
  }
  SetEnvironmentVariableA("TMP", had ? oldTmp : nullptr);

  EXPECT_FALSE(exists(temp.path() + "\\a.txt"));
  EXPECT_FALSE(exists(temp.path() + "\\sub\\deep\\b.txt"));
  EXPECT_TRUE(exists(temp.path() + "\\sub\\deep"));  // folders stay
  EXPECT_FALSE(exists(readOnly));
  EXPECT_EQ(readAll(held), "held open");
  EXPECT_EQ(readAll(kept), "not the temporary folder's");
  // The link itself goes, not what it leads to. Wine cannot remove a link of
  // the host that leads to a folder; it stays there, harmlessly.
  if (!windows_test::underWine()) {
    EXPECT_FALSE(exists(junction));
  }
}

TEST(WindowsFileLayer, ChosenFoldersAreJudgedAndNeverLeftThroughAJunction) {
  TestFolder folder("safety");
  char windows[MAX_PATH + 1] = {};
  GetWindowsDirectoryA(windows, sizeof windows);
  const std::string junction = folder.path() + "\\looks-harmless";
  ASSERT_TRUE(windows_test::makeJunction(junction, windows));
  EXPECT_EQ(platform::windows_os::judgeFolder(junction),
            platform::windows_os::FolderVerdict::SystemFolder);
  const std::string kept = folder.write("sub\\file.txt", "below");

  windows_test::RealWindows real;
  auto& files = real.platform().files;
  using platform::ChosenFolderState;
  using platform::FolderProtection;
  EXPECT_EQ(files.chooseFolder(junction).state, ChosenFolderState::IsLink);
  EXPECT_EQ(files.chooseFolder(folder.path() + "\\none").state, ChosenFolderState::Missing);
  EXPECT_EQ(files.chooseFolder(kept).state, ChosenFolderState::NotFolder);
  EXPECT_EQ(files.chooseFolder(windows).folder->protection(), FolderProtection::System);
  EXPECT_EQ(files.chooseFolder(std::string(windows, 3)).folder->protection(),
            FolderProtection::Root);
  EXPECT_EQ(files.chooseFolder(files.homeFolder()).folder->protection(), FolderProtection::Home);
  EXPECT_EQ(files.chooseFolder(files.homeFolder() + "\\..").folder->protection(),
            FolderProtection::HoldsHome);

  auto chosen = files.chooseFolder(folder.path() + "\\.\\");
  ASSERT_EQ(chosen.state, ChosenFolderState::Opened);
  EXPECT_EQ(chosen.folder->protection(), FolderProtection::None);
  std::vector<std::string> listed;
  ASSERT_EQ(chosen.folder->walkFiles([&](const std::string& r) { listed.push_back(r); }), 0);
  // The junction is listed as itself and never entered.
  EXPECT_EQ(std::count(listed.begin(), listed.end(), "looks-harmless"), 1);
  EXPECT_EQ(std::count(listed.begin(), listed.end(), "sub/file.txt"), 1);
  EXPECT_EQ(listed.size(), 2u);
  EXPECT_TRUE(chosen.folder->unchanged());

  // A session of the folder reaches only folders its listing went through.
  auto session = chosen.folder->beginOverwrite({});
  EXPECT_FALSE(session->open("looks-harmless/win.ini").target);
  EXPECT_FALSE(session->open("sub/../../outside.txt").target);
  auto opened = session->open("sub/file.txt");
  EXPECT_EQ(opened.kind, platform::OverwriteKind::Opened);
  opened.target.reset();
  chosen.folder.reset();
  RemoveDirectoryA(junction.c_str());
}

}  // namespace

namespace {

// The manifest makes UTF-8 the code page of the ANSI calls, so a name in any
// script reaches them whole.
TEST(WindowsFileLayer, NamesInAnyScriptPassTheAnsiCalls) {
  if (GetACP() != CP_UTF8) GTEST_SKIP() << "this system ignores the manifest's code page";
  TestFolder folder("names");
  const std::string name =
      "Gr\xC3\xBC\xC3\x9F"
      "e-\xCE\xBB-\xE6\x96\x87.txt";
  const std::string file = folder.write(name, "x");
  windows_test::RealWindows real;
  bool listed = false;
  for (const auto& entry : real.platform().files.listFolder(folder.path() + "\\"))
    listed = listed || entry.name == name;
  EXPECT_TRUE(listed);
  EXPECT_EQ(erasure::WipeFile(real.platform(), file, 1).outcome, erasure::WipeOutcome::Wiped);
  EXPECT_FALSE(exists(file));
}

}  // namespace
