// --clear over the real file layer, temporary folder and trash: the preview
// names exactly what the real run then removes, and what stays says why.
#include "cli/clear_command.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "forms/fake/fake_platform.h"
#include "platform/linux/files/linux_file_layer.h"
#include "platform/linux/system/linux_shell.h"
#include "platform/linux/trash/freedesktop_trash.h"
#include "temp_dir.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace cli {
namespace {

// Another process that holds a file open, so that the file is in use.
class FileHolder {
 public:
  explicit FileHolder(const fs::path& file) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, file.c_str(), O_RDONLY, 0);
    char sleep[] = "sleep", seconds[] = "60";
    char* argv[] = {sleep, seconds, nullptr};
    if (posix_spawnp(&pid_, "sleep", &actions, nullptr, argv, environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~FileHolder() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }

 private:
  pid_t pid_ = -1;
};

class RecordingLog : public platform::RunLog {
 public:
  platform::LogAddition add(const std::string& report) override {
    entries.push_back(report);
    return {};
  }
  std::vector<std::string> entries;
};

class ClearCommand : public ::testing::Test {
 protected:
  testsupport::TempDir dir;
  fs::path temp = dir.path() / "tmp";
  fs::path home = dir.path() / "home";
  fs::path trash = home / ".local/share/Trash";
  fs::path outside = dir.path() / "outside";
  testsupport::EnvGuard tmpdirEnv{"TMPDIR", temp.string()};
  testsupport::EnvGuard homeEnv{"HOME", home.string()};
  forms::fake::FakePlatform fake;
  platform::linux_os::LinuxFileLayer files;
  platform::linux_os::LinuxShell shell;
  std::unique_ptr<platform::linux_os::FreedesktopTrash> bins;
  RecordingLog log;

  void SetUp() override {
    fs::create_directories(home);
    std::ofstream(dir.path() / "mountinfo").flush();  // no other drive
    bins = std::make_unique<platform::linux_os::FreedesktopTrash>(
        (dir.path() / "mountinfo").string(), trash.string());
    dir.write("tmp/a.txt", "aaaa");
    dir.write("tmp/deep/er/b.bin", std::string(5000, 'b'));
    dir.write("tmp/held.txt", "held");
    dir.write("outside/keep.txt", "precious");
    fs::create_symlink(outside / "keep.txt", temp / "link-to-keep");
    dir.write("home/.local/share/Trash/files/old.txt", "old!");
    dir.write("home/.local/share/Trash/files/folder/inner/c.txt", std::string(3000, 'c'));
    dir.write("home/.local/share/Trash/info/old.txt.trashinfo", "[Trash Info]\nPath=/old.txt\n");
    dir.write("home/.local/share/Trash/info/folder.trashinfo", "[Trash Info]\nPath=/folder\n");
  }

  // Runs --clear temp,trash --json; returns the exit status and the report.
  int run(bool preview, json& report) {
    forms::Platform platform{
        forms::withView(platform::System{files, fake.registry, fake.settings, fake.urlCache,
                                         fake.history, *bins, shell, fake.downloader, fake.process},
                        fake.msgbox, fake.dialogs, fake.windows, fake.tray)};
    Options options;
    options.command = Command::Clear;
    options.areas = {core::Area::Temp, core::Area::Trash};
    options.dryRun = preview;
    options.json = true;
    std::ostringstream out, err;
    int status = runClear(options, platform, {}, &log, out, err, false);
    report = json::parse(out.str());
    return status;
  }
};

std::set<std::string> itemsOf(const json& area) {
  return {area["items"].begin(), area["items"].end()};
}
std::set<std::string> failedItemsOf(const json& area) {
  std::set<std::string> items;
  for (const json& failure : area["failures"]) items.insert(failure["item"].get<std::string>());
  return items;
}

TEST_F(ClearCommand, PreviewNamesExactlyWhatTheRunRemovesAndWhatStaysSaysWhy) {
  FileHolder holder(temp / "held.txt");
  usleep(100 * 1000);  // the holder has opened it
  json preview, real;
  EXPECT_EQ(run(true, preview), 1);  // the held file would stay
  // The preview changed nothing and kept no log entry.
  EXPECT_TRUE(fs::exists(temp / "a.txt"));
  EXPECT_TRUE(fs::exists(trash / "files/folder/inner/c.txt"));
  EXPECT_TRUE(log.entries.empty());

  EXPECT_EQ(run(false, real), 1);
  ASSERT_EQ(log.entries.size(), 1u);
  EXPECT_NE(log.entries[0].find("command line run: 1 item could not be cleared"), std::string::npos)
      << log.entries[0];

  // The report's shape, for scripts.
  for (const json* report : {&preview, &real}) {
    EXPECT_TRUE((*report)["preview"].is_boolean());
    EXPECT_EQ((*report)["trigger"], "command line");
    EXPECT_TRUE((*report)["started"].is_string());
    EXPECT_EQ((*report)["ok"], false);
    ASSERT_EQ((*report)["areas"].size(), 2u);
    EXPECT_EQ((*report)["areas"][0]["area"], "trash");  // in the order a run clears them
    EXPECT_EQ((*report)["areas"][1]["area"], "temp");
    for (const json& area : (*report)["areas"]) {
      for (const char* number : {"removed", "bytes", "skipped"})
        EXPECT_TRUE(area[number].is_number_integer()) << number;
      EXPECT_TRUE(area["items"].is_array());
      EXPECT_TRUE(area["kept"].is_array());
      for (const json& failure : area["failures"]) {
        EXPECT_TRUE(failure["item"].is_string());
        EXPECT_FALSE(failure["reason"].get<std::string>().empty());
      }
    }
  }
  EXPECT_EQ(preview["preview"], true);
  EXPECT_EQ(real["preview"], false);

  for (std::size_t i = 0; i < 2; ++i) {
    const json &would = preview["areas"][i], &did = real["areas"][i];
    EXPECT_EQ(itemsOf(would), itemsOf(did)) << did["area"];
    EXPECT_EQ(would["removed"], did["removed"]);
    EXPECT_EQ(would["bytes"], did["bytes"]);
    EXPECT_EQ(failedItemsOf(would), failedItemsOf(did));
  }
  const json& trashArea = real["areas"][0];
  EXPECT_EQ(itemsOf(trashArea), (std::set<std::string>{(trash / "files/old.txt").string(),
                                                       (trash / "files/folder").string()}));
  EXPECT_EQ(trashArea["bytes"], 3004);
  const json& tempArea = real["areas"][1];
  EXPECT_EQ(itemsOf(tempArea),
            (std::set<std::string>{(temp / "a.txt").string(), (temp / "deep/er/b.bin").string(),
                                   (temp / "link-to-keep").string()}));
  EXPECT_EQ(failedItemsOf(tempArea), std::set<std::string>{(temp / "held.txt").string()});
  EXPECT_NE(tempArea["failures"][0]["reason"].get<std::string>().find("in use"), std::string::npos);

  // What the report says went is gone; what it says stayed is there.
  for (const json& area : real["areas"])
    for (const json& item : area["items"])
      EXPECT_FALSE(fs::exists(fs::symlink_status(item.get<std::string>()))) << item;
  EXPECT_EQ(testsupport::readFile(temp / "held.txt"), "held");
  EXPECT_EQ(testsupport::readFile(outside / "keep.txt"), "precious");
  EXPECT_TRUE(fs::is_empty(trash / "info"));
}

}  // namespace
}  // namespace cli
