// "Secure Wipe all other areas" over a real freedesktop.org trash: every
// trashed file is overwritten once before the bin is emptied.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "../erase/pass_counting_layer.h"
#include "areas/system_areas.h"
#include "forms/fake/fake_platform.h"
#include "platform/linux/files/linux_file_layer.h"
#include "platform/linux/trash/freedesktop_trash.h"
#include "temp_dir.h"

namespace {

void fillTrash(const testsupport::TempDir& dir) {
  dir.write("Trash/files/letter.txt", "dear sir");
  dir.write("Trash/files/album/photo.jpg", std::string(5000, 'p'));
  dir.write("Trash/info/letter.txt.trashinfo", "[Trash Info]\nPath=/letter.txt\n");
  dir.write("Trash/info/album.trashinfo", "[Trash Info]\nPath=/album\n");
}

}  // namespace

TEST(EmptyRecycleBin, SecureWipeOfOtherAreasOverwritesEveryTrashedFileOnceFirst) {
  testsupport::TempDir dir;
  platform::linux_os::FreedesktopTrash trash(dir.str() + "/no-mountinfo", dir.str() + "/Trash");
  platform::linux_os::LinuxFileLayer real;
  erasetest::PassCountingLayer files(real);
  forms::fake::FakePlatform fake;
  forms::Platform platform{forms::withView(
      platform::System{files, fake.registry, fake.settings, fake.urlCache, fake.history, trash,
                       fake.shell, fake.downloader, fake.process},
      fake.msgbox, fake.dialogs, fake.windows, fake.tray)};
  fillTrash(dir);
  areas::EmptyRecycleBin(platform);
  EXPECT_EQ(files.passes, 0);  // unticked: only emptied
  EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "Trash/files"));

  fillTrash(dir);
  areas::EmptyRecycleBin(platform, true);
  EXPECT_EQ(files.passes, 2);  // one pass each
  EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "Trash/files"));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "Trash/info"));
}

// The secure emptying counts every trashed item once, as its preview did,
// whether the overwrite or the emptying removed it; a file the overwrite
// could not reach is told as such by both.
TEST(EmptyRecycleBin, SecureEmptyingCountsWhatThePreviewNamedAndTellsWhatWasNotOverwritten) {
  testsupport::TempDir dir;
  platform::linux_os::FreedesktopTrash trash(dir.str() + "/no-mountinfo", dir.str() + "/Trash");
  platform::linux_os::LinuxFileLayer real;
  erasetest::PassCountingLayer files(real);
  forms::fake::FakePlatform fake;
  forms::Platform platform{forms::withView(
      platform::System{files, fake.registry, fake.settings, fake.urlCache, fake.history, trash,
                       fake.shell, fake.downloader, fake.process},
      fake.msgbox, fake.dialogs, fake.windows, fake.tray)};
  fillTrash(dir);
  dir.write("Trash/files/shared.txt", "also elsewhere");
  std::filesystem::create_hard_link(dir.path() / "Trash/files/shared.txt", dir.path() / "other");

  platform::ClearOutcome preview = areas::PreviewRecycleBin(platform, true);
  EXPECT_EQ(files.passes, 0);
  platform::ClearOutcome run = areas::EmptyRecycleBin(platform, true);
  EXPECT_EQ(files.passes, 2);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "Trash/files"));

  EXPECT_EQ(preview.removed, 3);
  EXPECT_EQ(run.removed, preview.removed);
  EXPECT_EQ(run.bytes, preview.bytes);
  std::sort(preview.items.begin(), preview.items.end());
  std::sort(run.items.begin(), run.items.end());
  EXPECT_EQ(run.items, preview.items);
  for (const platform::ClearOutcome* outcome : {&preview, &run}) {
    ASSERT_EQ(outcome->failures.size(), 1u);
    EXPECT_EQ(outcome->failures[0].item, dir.str() + "/Trash/files/shared.txt");
    EXPECT_NE(outcome->failures[0].reason.find("not overwritten"), std::string::npos);
  }
  EXPECT_EQ(testsupport::readFile(dir.path() / "other"), "also elsewhere");
}
