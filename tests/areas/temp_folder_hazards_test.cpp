// /tmp is shared and holds whatever is mounted under it. Clearing it must
// reach neither through a folder swapped for a link between the listing and
// the wipe, nor into a file system mounted inside it.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "areas/system_areas.h"
#include "platform/linux/files/linux_file_layer.h"
#include "temp_dir.h"
#include "temp_platform.h"

namespace fs = std::filesystem;

namespace areas {
namespace {

// Runs a hook once, just before the first file of the wipe is opened.
class HookedSession : public platform::OverwriteSession {
 public:
  HookedSession(std::unique_ptr<platform::OverwriteSession> inner, std::function<void()>& hook)
      : inner_(std::move(inner)), hook_(hook) {}
  platform::OverwriteOpen open(const std::string& path) override {
    if (hook_) std::exchange(hook_, nullptr)();
    return inner_->open(path);
  }
  int syncAll() override { return inner_->syncAll(); }

 private:
  std::unique_ptr<platform::OverwriteSession> inner_;
  std::function<void()>& hook_;
};

class HookedFolder : public platform::ChosenFolder {
 public:
  HookedFolder(std::unique_ptr<platform::ChosenFolder> inner, std::function<void()>& hook)
      : inner_(std::move(inner)), hook_(hook) {}
  const std::string& path() const override { return inner_->path(); }
  platform::FolderProtection protection() const override { return inner_->protection(); }
  int walkFiles(const std::function<void(const std::string&)>& onFile) override {
    return inner_->walkFiles(onFile);
  }
  bool unchanged() override { return inner_->unchanged(); }
  std::unique_ptr<platform::OverwriteSession> beginOverwrite(
      const platform::OverwriteOptions& options) override {
    return std::make_unique<HookedSession>(inner_->beginOverwrite(options), hook_);
  }

 private:
  std::unique_ptr<platform::ChosenFolder> inner_;
  std::function<void()>& hook_;
};

class HookedFileLayer : public platform::linux_os::LinuxFileLayer {
 public:
  platform::ChosenFolderOpen chooseFolder(const std::string& folder) override {
    auto chosen = LinuxFileLayer::chooseFolder(folder);
    if (chosen.folder)
      chosen.folder = std::make_unique<HookedFolder>(std::move(chosen.folder), beforeFirst);
    return chosen;
  }
  std::function<void()> beforeFirst;
};

// Anyone may swap a folder of theirs in the shared /tmp for a link between
// listing and wiping: following it would destroy the user's own file.
TEST(TempFolderHazards, FolderSwappedForALinkAfterListingLeadsNowhere) {
  testsupport::TempDir dir;
  fs::path temp = dir.path() / "tmp";
  fs::path documents = dir.path() / "home" / "Documents";
  fs::create_directories(temp / "planted");
  fs::create_directories(documents);
  std::ofstream(documents / "report.txt") << "my report";
  std::ofstream(temp / "planted" / "report.txt") << "decoy";
  testsupport::EnvGuard tmpdir("TMPDIR", temp.string());
  testsupport::EnvGuard home("HOME", (dir.path() / "home").string());

  HookedFileLayer files;
  files.beforeFirst = [&] {
    fs::rename(temp / "planted", temp / "planted.old");
    fs::create_directory_symlink(documents, temp / "planted");
  };
  forms::fake::FakePlatform fake;
  platform::linux_os::LinuxShell shell;
  forms::Platform platform{forms::withView(
      platform::System{files, fake.registry, fake.settings, fake.urlCache, fake.history, fake.trash,
                       shell, fake.downloader, fake.process},
      fake.msgbox, fake.dialogs, fake.windows, fake.tray)};
  erasure::FileList fileList;
  ClearTempFolder(platform, fileList);
  ASSERT_EQ(fileList.lastIndex(), 1);
  EXPECT_FALSE(files.beforeFirst) << "the swap took place during the wipe";
  EXPECT_EQ(testsupport::readFile(documents / "report.txt"), "my report");
}

// A drive mounted under /tmp is not part of the temporary folder's files.
TEST(TempFolderHazards, DriveMountedInsideTheTemporaryFolderIsLeft) {
  testsupport::TempDir dir;
  fs::path temp = dir.path() / "tmp";
  fs::path drive = dir.path() / "drive";
  fs::create_directories(temp / "usb");
  fs::create_directories(drive);
  std::ofstream(drive / "photo.jpg") << "holiday";
  if (::mount(drive.c_str(), (temp / "usb").c_str(), nullptr, MS_BIND, nullptr) != 0)
    GTEST_SKIP() << "cannot bind-mount here";
  struct Unmount {
    fs::path point;
    ~Unmount() { ::umount2(point.c_str(), MNT_DETACH); }
  } unmount{temp / "usb"};
  testsupport::EnvGuard tmpdir("TMPDIR", temp.string());
  testsupport::EnvGuard home("HOME", (dir.path() / "home").string());

  platform::linux_os::LinuxFileLayer files;
  forms::fake::FakePlatform fake;
  platform::linux_os::LinuxShell shell;
  forms::Platform platform = test_support::withFilesAndShell(fake, files, shell);
  erasure::FileList fileList;
  ClearTempFolder(platform, fileList);
  EXPECT_EQ(testsupport::readFile(drive / "photo.jpg"), "holiday");
}

}  // namespace
}  // namespace areas
