#include "erase/wipe_page.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <set>

#include "file_holder.h"
#include "forms/message_box.h"
#include "identity.h"
#include "pass_counting_layer.h"
#include "real_files_platform.h"
#include "temp_dir.h"

namespace fs = std::filesystem;
using testsupport::readFile;

namespace {

const char* kWarning =
    "Warning! this will wipe the specified files and delete them. Once this is done they "
    "cannot be recovered";

class WipePageTest : public ::testing::Test {
 protected:
  WipePageTest() {
    page.optQuick.setValue(true);
    sbar.setChangeListener([this] {
      if (panelLog.empty() || panelLog.back() != sbar.PanelText(1))
        panelLog.push_back(sbar.PanelText(1));
    });
  }

  erasetest::RealFilesPlatform real;
  forms::fake::FakeMessageBox& boxes = real.fakes.msgbox;
  forms::Form form{"frmmain"};
  forms::StatusBar sbar{"sbar", 2};
  erasure::FileList fileList;
  erasure::WipePage page{real.bundle, forms::PageHost{form, sbar}, fileList};
  testsupport::TempDir dir;
  std::vector<std::string> panelLog;
};

TEST_F(WipePageTest, BothBoxesEmptyShowOnlyTheWarning) {
  page.cmdWipe_Click();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, kWarning);
  EXPECT_EQ(boxes.shown[0].style, forms::vbOKCancel | forms::vbExclamation);
  EXPECT_EQ(boxes.shown[0].caption, identity::kAppTitle);
}

TEST_F(WipePageTest, CancelOnTheWarningDestroysNothing) {
  auto file = dir.write("report.doc", "keep");
  auto inFolder = dir.write("folder/a", "keep");
  page.txtFileToWipe.setText(file.string());
  page.txtFolderToWipe.setText((dir.path() / "folder").string());
  boxes.answers = {forms::vbCancel};
  page.cmdWipe_Click();
  EXPECT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(readFile(file), "keep");
  EXPECT_EQ(readFile(inFolder), "keep");
}

TEST_F(WipePageTest, FileFirstThenFolderWithEachPathShownInTurn) {
  auto file = dir.write("report.doc", "secret");
  std::string folder = (dir.path() / "folder").string();
  auto a = dir.write("folder/a", "1"), b = dir.write("folder/b", "2");
  auto c = dir.write("folder/sub/c", "3");
  page.txtFileToWipe.setText(file.string());
  page.txtFolderToWipe.setText(folder);
  page.cmdWipe_Click();

  ASSERT_EQ(boxes.shown.size(), 3u);
  EXPECT_EQ(boxes.shown[1].text, "report.doc wiped");
  EXPECT_EQ(boxes.shown[1].style, forms::vbInformation);
  EXPECT_EQ(boxes.shown[2].text, "3File(s) wiped");
  EXPECT_EQ(boxes.shown[2].style, forms::vbInformation);
  for (const auto& p : {file, a, b, c}) EXPECT_FALSE(fs::exists(p)) << p;
  EXPECT_TRUE(fs::is_directory(dir.path() / "folder" / "sub"));
  EXPECT_EQ(page.txtFileToWipe.Text(), file.string());
  EXPECT_EQ(page.txtFolderToWipe.Text(), folder);

  ASSERT_EQ(panelLog.size(), 6u);
  std::set<std::string> shown;
  for (std::size_t i = 0; i < 6; i += 2) {
    EXPECT_EQ(panelLog[i].rfind("Currently wiping" + folder + "/", 0), 0u) << panelLog[i];
    shown.insert(panelLog[i].substr(16));
    EXPECT_EQ(panelLog[i + 1], "");
  }
  EXPECT_EQ(shown, (std::set<std::string>{a.string(), b.string(), c.string()}));
  EXPECT_EQ(fileList.lastIndex(), 3);
  EXPECT_EQ(sbar.ProgressMax(), 0);
  EXPECT_EQ(form.MousePointer(), forms::vbDefault);
}

TEST_F(WipePageTest, EmptyFileIsNeitherWipedNorReported) {
  auto file = dir.write("empty", "");
  page.txtFileToWipe.setText(file.string());
  page.wipeOut();
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_TRUE(fs::exists(file));
}

TEST_F(WipePageTest, AFileBehindABrokenPathIsToldInABoxAndNotWiped) {
  page.txtFileToWipe.setText((dir.path() / "no-folder" / "f").string());
  page.wipeOut();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, real.files.errorText(platform::kErrPathNotFound));
  EXPECT_EQ(boxes.shown[0].style, forms::vbOKOnly);
  EXPECT_EQ(boxes.shown[0].caption, identity::kAppTitle);
}

TEST_F(WipePageTest, BareNameIsRepeatedWhole) {
  auto file = dir.write("bare.txt", "x");
  auto old = fs::current_path();
  fs::current_path(dir.path());
  page.txtFileToWipe.setText("bare.txt");
  page.wipeOut();
  fs::current_path(old);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "bare.txt wiped");
  EXPECT_FALSE(fs::exists(file));
}

TEST_F(WipePageTest, AFileThatCannotBeWipedIsNotReportedAsWiped) {
  auto file = dir.write("busy.doc", "busy");
  erasetest::FileHolder holder(file.string(), erasetest::FileHolder::Mode::Read);
  ASSERT_TRUE(holder.holding());
  page.txtFileToWipe.setText(file.string());
  page.wipeOut();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "busy.doc could not be wiped: it is in use by another program.");
  EXPECT_EQ(readFile(file), "busy");
}

TEST_F(WipePageTest, FolderCountsOnlyWhatWasDestroyedAndLeavesOutsideAlone) {
  testsupport::TempDir outside;
  auto secret = outside.write("secret", "outside");
  auto shared = outside.write("shared", "shared");
  dir.write("a", "1");
  auto busy = dir.write("busy", "busy");
  fs::create_symlink(secret, dir.path() / "link");
  fs::create_directory_symlink(outside.path(), dir.path() / "dirlink");
  fs::create_directory_symlink(dir.path(), dir.path() / "loop");
  fs::create_hard_link(shared, dir.path() / "hard");
  mkfifo((dir.path() / "fifo").c_str(), 0600);
  erasetest::FileHolder holder(busy.string(), erasetest::FileHolder::Mode::Write);
  ASSERT_TRUE(holder.holding());

  page.txtFolderToWipe.setText(dir.str());
  page.optQuick.setValue(false);
  page.optDOD.setValue(true);
  page.wipeOut();

  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text,
            "1File(s) wiped\n\n"
            "4 file(s) removed without overwriting:\n"
            "3 links (the files they point to were left untouched)\n"
            "1 with other names (hard links): only this name was removed\n\n"
            "2 file(s) could not be wiped:\n"
            "1 in use by another program\n"
            "1 not regular files (pipes, sockets, devices)");
  EXPECT_EQ(readFile(secret), "outside");
  EXPECT_EQ(readFile(shared), "shared");
  EXPECT_EQ(readFile(busy), "busy");
  EXPECT_TRUE(fs::is_fifo(dir.path() / "fifo"));
  EXPECT_FALSE(fs::exists(dir.path() / "a"));
  EXPECT_TRUE(fs::exists(outside.path() / "secret"));
}

// Enter on the second question keeps the files: Cancel is its default.
TEST_F(WipePageTest, WholeSystemFolderAsksAgainWithTheCountAndCancelByDefault) {
  testsupport::EnvGuard home("HOME", dir.str());
  dir.write("a", "1");
  dir.write("b/c", "2");
  page.txtFolderToWipe.setText(dir.str() + "/");
  page.wipeOut();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text,
            fs::canonical(dir.path()).string() +
                " is your home folder. 2 file(s) in it and in every folder below it would be "
                "destroyed. Are you sure?");
  EXPECT_EQ(boxes.shown[0].style,
            forms::vbOKCancel | forms::vbExclamation | forms::vbDefaultButton2);
  EXPECT_TRUE(fs::exists(dir.path() / "a"));
  EXPECT_TRUE(fs::exists(dir.path() / "b" / "c"));
}

TEST_F(WipePageTest, LinksAreNamedAsLinksAndTheirTargetsLeft) {
  auto target = dir.write("real/keep", "keep");
  fs::create_directory_symlink(dir.path() / "real", dir.path() / "folder-link");
  fs::create_symlink(target, dir.path() / "file-link");
  page.txtFileToWipe.setText((dir.path() / "file-link").string());
  page.txtFolderToWipe.setText((dir.path() / "folder-link").string());
  page.wipeOut();
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[0].text,
            "file-link is a link: the link was removed, and the file it pointed to was left "
            "untouched.");
  EXPECT_EQ(boxes.shown[0].style, forms::vbInformation);
  EXPECT_EQ(boxes.shown[1].text, (dir.path() / "folder-link").string() + " is a link to " +
                                     fs::canonical(dir.path() / "real").string() +
                                     "; nothing was wiped.");
  EXPECT_EQ(readFile(target), "keep");
  EXPECT_FALSE(fs::is_symlink(dir.path() / "file-link"));
  EXPECT_TRUE(fs::is_symlink(dir.path() / "folder-link"));
}

TEST_F(WipePageTest, PassCountFollowsTheShreddingLevel) {
  for (bool quick : {true, false}) {
    erasetest::PassCountingLayer counting(real.files);
    forms::Platform bundle{forms::withView(
        platform::System{counting, real.fakes.registry, real.fakes.settings, real.fakes.urlCache,
                         real.fakes.history, real.fakes.trash, real.fakes.shell,
                         real.fakes.downloader, real.fakes.process},
        real.fakes.msgbox, real.fakes.dialogs, real.fakes.windows, real.fakes.tray)};
    erasure::WipePage counted{bundle, forms::PageHost{form, sbar}, fileList};
    counted.optQuick.setValue(quick);
    counted.optDOD.setValue(!quick);
    counted.txtFileToWipe.setText(dir.write("single", "x").string());
    counted.txtFolderToWipe.setText((dir.path() / "folder").string());
    dir.write("folder/a", "y");
    counted.wipeOut();
    EXPECT_EQ(counted.txtFileToWipe.Text(), (dir.path() / "single").string());
    EXPECT_EQ(counting.passes, quick ? 6 : 14);  // two files
  }
}

TEST_F(WipePageTest, BrowseButtonsFillTheBoxes) {
  real.fakes.dialogs.nextFile = "/home/u/report.doc";
  page.cmdBrowseForFile_Click();
  EXPECT_EQ(real.fakes.dialogs.lastFilter, "All Files (*.*)|*.*");
  EXPECT_EQ(page.txtFileToWipe.Text(), "/home/u/report.doc");
  real.fakes.dialogs.nextFile = "";
  page.cmdBrowseForFile_Click();
  EXPECT_EQ(page.txtFileToWipe.Text(), "/home/u/report.doc");

  real.fakes.dialogs.nextFolder = "/home/u/old";
  page.cmdBrowseForFolder_Click();
  EXPECT_EQ(page.txtFolderToWipe.Text(), "/home/u/old");
  EXPECT_EQ(real.fakes.dialogs.lastPrompt, "&Select folder to wipe");
  EXPECT_EQ(real.fakes.dialogs.lastInitialFolder, real.fakes.process.folder);
  real.fakes.dialogs.nextFolder = "";
  page.cmdBrowseForFolder_Click();
  EXPECT_EQ(page.txtFolderToWipe.Text(), "");
}

}  // namespace
