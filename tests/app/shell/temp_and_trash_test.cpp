// The temporary folder and recycle bin operations over fake services: what
// they ask of the platform, and that the window's wait cursor never stays behind.
#include <gtest/gtest.h>

#include <stdexcept>

#include "app/temp_folder_wait.h"
#include "areas/system_areas.h"
#include "forms/fake/fake_platform.h"
#include "platform/paths.h"

namespace app {
namespace {

using platform::kAttrDirectory;

// A file of the fake temporary folder as the system writes its path.
std::string inTemp(const std::string& relative) {
  return platform::pathBelow("/fake/tmp", relative);
}

// A shell whose answers are scripted and which sees the cursor while asked.
class ScriptedShell : public platform::Shell {
 public:
  explicit ScriptedShell(forms::Form& window) : window_(window) {}
  void openUrl(const std::string&) override {}
  std::string tempPath() override {
    pointerWhileAsked = window_.MousePointer();
    if (fail) throw std::runtime_error("no temp path");
    return temp;
  }
  std::string temp = "/fake/tmp/";
  bool fail = false;
  int pointerWhileAsked = -1;

 private:
  forms::Form& window_;
};

struct Fixture {
  forms::fake::FakePlatform fake;
  forms::Form window{"frmmain"};
  ScriptedShell shell{window};
  erasure::FileList fileList;
  forms::Platform platform{forms::withView(
      platform::System{fake.files, fake.registry, fake.settings, fake.urlCache, fake.history,
                       fake.trash, shell, fake.downloader, fake.process},
      fake.msgbox, fake.dialogs, fake.windows, fake.tray)};
  Fixture() {
    fake.files.folders["/fake/tmp/"] = {{"a.txt", 0}, {"sub", kAttrDirectory}};
    fake.files.folders["/fake/tmp/sub/"] = {{"b.dat", 0}};
    fake.files.lengths["/fake/tmp/a.txt"] = 10;
    fake.files.lengths["/fake/tmp/sub/b.dat"] = 20;
    fileList.entries = {"", "left over"};
  }
};

TEST(ClearTempFolder, WipesEveryListedFileUnderTheWaitCursor) {
  Fixture f;
  platform::ClearOutcome outcome = ClearTempFolder(f.platform, f.window, f.fileList);
  EXPECT_EQ(f.shell.pointerWhileAsked, forms::vbHourglass);
  EXPECT_EQ(f.window.MousePointer(), forms::vbDefault);
  EXPECT_EQ(f.fileList.entries,
            (std::vector<std::string>{"", inTemp("a.txt"), inTemp("sub/b.dat")}));
  EXPECT_EQ(f.fake.files.deleted,
            (std::vector<std::string>{"/fake/tmp/a.txt", "/fake/tmp/sub/b.dat"}));
  EXPECT_EQ(outcome.removed, 2);
  EXPECT_EQ(outcome.bytes, 30);
  EXPECT_TRUE(outcome.ok());
}

TEST(ClearTempFolder, UnknownOrRefusedFolderClearsNothing) {
  for (bool unknown : {true, false}) {
    Fixture f;
    if (unknown)
      f.shell.temp = "";
    else
      f.fake.files.protections["/fake/tmp"] = platform::FolderProtection::HoldsHome;
    platform::ClearOutcome outcome = ClearTempFolder(f.platform, f.window, f.fileList);
    ASSERT_EQ(outcome.failures.size(), 1u);
    if (!unknown) {
      EXPECT_EQ(outcome.failures[0].reason,
                "it is a folder that holds your home folder; nothing was cleared");
    }
    EXPECT_TRUE(f.fake.files.deleted.empty());
    EXPECT_EQ(f.fileList.lastIndex(), 0) << "the list is reset whatever happens";
    EXPECT_EQ(f.window.MousePointer(), forms::vbDefault);
  }
}

TEST(ClearTempFolder, WaitCursorGoesEvenWhenThePlatformFails) {
  Fixture f;
  f.shell.fail = true;
  EXPECT_THROW(ClearTempFolder(f.platform, f.window, f.fileList), std::runtime_error);
  EXPECT_EQ(f.window.MousePointer(), forms::vbDefault);
  EXPECT_TRUE(f.fake.files.deleted.empty());
}

TEST(EmptyRecycleBin, EmptiesEveryBinOnce) {
  Fixture f;
  areas::EmptyRecycleBin(f.platform);
  EXPECT_EQ(f.fake.trash.emptied, 1);
  EXPECT_EQ(f.window.MousePointer(), forms::vbDefault);
}

}  // namespace
}  // namespace app
