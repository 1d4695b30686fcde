// "Wipe free space..." with the window alive: the question comes before any
// write, the button becomes Cancel while the fill runs on its own thread, and
// Cancel ends it with the words of a stopped run.
#include "app/free_space_action.h"

#include <gtest/gtest.h>

#include <atomic>

#include "forms/fake/fake_platform.h"
#include "forms/message_box.h"

namespace {

// A drive whose fill runs until it is cancelled.
class EndlessDrive : public platform::FreeSpaceWipe {
 public:
  explicit EndlessDrive(std::atomic<int>& runs) : runs_(runs) {
    drive_.mountPoint = "/data";
    drive_.fileSystem = "ext4";
    drive_.freeBytes = 10ll << 30;
    drive_.notes = {"the names of deleted files, which their folders keep"};
  }
  const platform::FreeSpaceDrive& drive() const override { return drive_; }
  double measureSpeed() override { return 100 << 20; }
  platform::FreeSpaceResult run(const platform::FreeSpaceOptions& options) override {
    ++runs_;
    platform::FreeSpaceResult result;
    while (!options.cancel->load()) result.bytesWritten = 4096;
    result.cancelled = true;
    return result;
  }

 private:
  std::atomic<int>& runs_;
  platform::FreeSpaceDrive drive_;
};

class FreeSpaceActionTest : public ::testing::Test {
 protected:
  FreeSpaceActionTest() {
    bundle.freeSpace = [this](const std::string& folder) {
      opened = folder;
      return std::make_unique<EndlessDrive>(runs);
    };
    fake.dialogs.nextFolder = "/data/letters";
  }

  forms::fake::FakePlatform fake;
  forms::Platform bundle = fake.platform();
  forms::Form form{"frmmain"};
  forms::StatusBar sbar{"sbar", 2};
  forms::CommandButton wipeButton{"cmdWipe", "&Wipe"};
  std::atomic<int> runs{0};
  std::string opened;
  app::FreeSpaceAction action{bundle, forms::PageHost{form, sbar}, wipeButton};
};

TEST_F(FreeSpaceActionTest, TheWarningNamesTheDriveItsFreeSpaceAndTimeAndCancelWritesNothing) {
  fake.msgbox.answers = {forms::vbCancel};
  action.cmdWipeFreeSpace_Click();
  EXPECT_EQ(opened, "/data/letters");
  ASSERT_EQ(fake.msgbox.shown.size(), 1u);
  const forms::fake::ShownBox& box = fake.msgbox.shown[0];
  EXPECT_EQ(box.style, forms::vbOKCancel | forms::vbExclamation | forms::vbDefaultButton2);
  EXPECT_NE(box.text.find("/data (ext4), 10.0 GiB"), std::string::npos) << box.text;
  EXPECT_NE(box.text.find("It will take about 2 min"), std::string::npos) << box.text;
  EXPECT_NE(box.text.find("- the names of deleted files"), std::string::npos) << box.text;
  EXPECT_FALSE(action.running());
  EXPECT_EQ(runs, 0);
}

TEST_F(FreeSpaceActionTest, TheButtonCancelsARunningFillAndTheEndIsSaidAsStopped) {
  fake.msgbox.answers = {forms::vbOK};
  action.cmdWipeFreeSpace_Click();
  ASSERT_TRUE(action.running());
  EXPECT_EQ(action.cmdWipeFreeSpace.Caption(), "Cancel");
  EXPECT_FALSE(wipeButton.Enabled());

  action.cmdWipeFreeSpace_Click();  // Cancel
  action.waitForEnd();
  EXPECT_EQ(runs, 1);
  EXPECT_FALSE(action.running());
  EXPECT_EQ(action.cmdWipeFreeSpace.Caption(), "Wipe free space...");
  EXPECT_TRUE(action.cmdWipeFreeSpace.Enabled());
  EXPECT_TRUE(wipeButton.Enabled());
  EXPECT_EQ(sbar.PanelText(1), "");
  ASSERT_EQ(fake.msgbox.shown.size(), 2u);
  EXPECT_EQ(fake.msgbox.shown[1].style, forms::vbExclamation);
  EXPECT_EQ(
      fake.msgbox.shown[1].text.rfind(
          "The wipe of the free space of /data (ext4) was stopped; the space is free again", 0),
      0u)
      << fake.msgbox.shown[1].text;
}

}  // namespace
