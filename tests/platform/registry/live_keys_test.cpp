// The Run key as XDG autostart files and the read-only Shell Folders key.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/linux/common/xdg_paths.h"
#include "platform/linux/registry/autostart_folder.h"
#include "platform/linux/registry/hive_registry.h"
#include "registry_env.h"

namespace platform::linux_os {
namespace {

namespace fs = std::filesystem;
using regtest::deleteValue;
using regtest::getString;
using regtest::kRunKey;
using regtest::setString;
using testsupport::readFile;

const char* kTitle = " Norrick Tracesweep";
const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// desktop-file-validate's verdict: "" when the file passes.
std::string validate(const std::string& file) {
  std::string output;
  int status = regtest::run("desktop-file-validate '" + file + "'", &output);
  return status == 0 && output.find("error") == std::string::npos ? "" : output;
}

TEST(RunKey, AValueIsAnAutostartFileThatPassesValidation) {
  regtest::FakeHome home;
  HiveRegistry registry;
  HKEY h = 0;
  ASSERT_EQ(registry.RegOpenKeyEx(HKEY_CURRENT_USER, kRunKey, 0, KEY_WRITE, h), ERROR_SUCCESS);
  EXPECT_FALSE(fs::exists(home.autostart()));  // opening creates nothing
  std::string data = "/usr/bin/tracesweep";
  data.push_back('\0');
  ASSERT_EQ(
      registry.RegSetValueEx(h, kTitle, REG_SZ, reinterpret_cast<const std::uint8_t*>(data.data()),
                             static_cast<std::uint32_t>(data.size())),
      ERROR_SUCCESS);
  std::uint32_t type = 0, size = 0;
  ASSERT_EQ(registry.RegQueryValueEx(h, " NORRICK TRACESWEEP", &type, nullptr, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, data.size());
  registry.RegCloseKey(h);

  std::string file = home.autostart() + "/tracesweep-norrick-tracesweep.desktop";
  ASSERT_TRUE(fs::exists(file));
  EXPECT_EQ(readFile(file),
            "[Desktop Entry]\nType=Application\nName=Norrick Tracesweep\n"
            "Exec=/usr/bin/tracesweep\nTerminal=false\n"
            "X-Tracesweep-Value-Name=\\sNorrick Tracesweep\n");
  if (regtest::toolAvailable("desktop-file-validate")) {
    EXPECT_EQ(validate(file), "");
  }

  // A second registry (the next run) reads the value back from the file.
  HiveRegistry nextRun;
  EXPECT_EQ(getString(nextRun, kRunKey, kTitle), "/usr/bin/tracesweep");
  EXPECT_FALSE(fs::exists(home.hive()));  // the Run key never lands in the hive

  EXPECT_EQ(deleteValue(nextRun, kRunKey, kTitle), ERROR_SUCCESS);
  EXPECT_FALSE(fs::exists(file));
  long result = 0;
  EXPECT_FALSE(getString(nextRun, kRunKey, kTitle, &result));
  EXPECT_EQ(result, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(deleteValue(nextRun, kRunKey, kTitle), ERROR_FILE_NOT_FOUND);
}

TEST(RunKey, AwkwardProgramPathsRoundTripAndValidate) {
  regtest::FakeHome home;
  HiveRegistry registry;
  const std::vector<std::string> paths = {
      "/opt/My Apps/trace sweep",
      "/home/u/it's \"quoted\"/back\\slash",
      "/tmp/$HOME/`id`/100%/a;b&c|d(e)*?#~<>=x",
      "/opt/\xC3\xBC\xC3\xB1\xC3\xAF/tracesweep",
      "/opt/trailing\\",
      "relative%u",
  };
  bool validator = regtest::toolAvailable("desktop-file-validate");
  for (const std::string& path : paths) {
    ASSERT_EQ(setString(registry, kRunKey, kTitle, path, false), ERROR_SUCCESS) << path;
    EXPECT_EQ(getString(registry, kRunKey, kTitle), path);
    auto entries = AutostartFolder::entries();
    ASSERT_EQ(entries.size(), 1u);  // rewriting the value reuses its file
    if (validator) {
      EXPECT_EQ(validate(entries.front().file), "") << path;
    }
  }
  ASSERT_EQ(deleteValue(registry, kRunKey, kTitle), ERROR_SUCCESS);

  const std::string oddName = "  odd; [name] = \xC3\xBC\\ ";
  ASSERT_EQ(setString(registry, kRunKey, oddName, "/bin/true", false), ERROR_SUCCESS);
  auto entries = AutostartFolder::entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries.front().valueName, oddName);
  EXPECT_EQ(fs::path(entries.front().file).filename(), "tracesweep-odd-name.desktop");
  if (validator) {
    EXPECT_EQ(validate(entries.front().file), "");
  }
}

// GLib's own Desktop Entry reader starts the program from the Exec line. (GLib
// looks for the program before it reads "%%" as "%", so a "%" is left out here.)
TEST(RunKey, AProgramWithBlanksAndQuotesInItsPathStarts) {
  if (!regtest::toolAvailable("gio")) GTEST_SKIP() << "gio is not installed";
  regtest::FakeHome home;
  std::string folder = home.dir.str() + "/My \"odd\" $dir `x` back\\slash 'q'";
  std::string program = folder + "/trace sweep";
  std::string marker = home.dir.str() + "/started";
  fs::create_directories(folder);
  home.dir.write(program.substr(home.dir.str().size() + 1),
                 "#!/bin/sh\necho \"$0\" > '" + marker + "'\n");
  chmod(program.c_str(), 0755);

  HiveRegistry registry;
  ASSERT_EQ(setString(registry, kRunKey, kTitle, program, false), ERROR_SUCCESS);
  std::string output;
  regtest::run("gio launch '" + AutostartFolder::entries().front().file + "'", &output);
  for (int i = 0; i < 100 && !fs::exists(marker); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(readFile(marker), program + "\n") << output;
}

TEST(RunKey, OnlyItsOwnFilesAreReadOrTouched) {
  regtest::FakeHome home;
  home.dir.write("config/autostart/other.desktop",
                 "[Desktop Entry]\nType=Application\nName=Other\nExec=other\n");
  home.dir.write("config/autostart/tracesweep-norrick-tracesweep.desktop",
                 "[Desktop Entry]\nType=Application\nName=Foreign\nExec=foreign\n");
  home.dir.write("config/autostart/tracesweep-garbage.desktop",
                 std::string("\0\xFF[Desktop Entry]\n=\n\\", 20) + std::string(100000, 'x'));
  ASSERT_EQ(mkfifo((home.autostart() + "/tracesweep-fifo.desktop").c_str(), 0600), 0);

  HiveRegistry registry;
  EXPECT_FALSE(getString(registry, kRunKey, kTitle));
  ASSERT_EQ(setString(registry, kRunKey, kTitle, "/usr/bin/tracesweep", false), ERROR_SUCCESS);
  ASSERT_EQ(setString(registry, kRunKey, "Norrick-Tracesweep", "/x", false), ERROR_SUCCESS);
  auto entries = AutostartFolder::entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(fs::path(entries[0].file).filename(), "tracesweep-norrick-tracesweep-2.desktop");
  EXPECT_EQ(fs::path(entries[1].file).filename(), "tracesweep-norrick-tracesweep-3.desktop");
  EXPECT_EQ(getString(registry, kRunKey, "norrick-tracesweep"), "/x");

  EXPECT_EQ(deleteValue(registry, kRunKey, kTitle), ERROR_SUCCESS);
  EXPECT_EQ(deleteValue(registry, kRunKey, "Norrick-Tracesweep"), ERROR_SUCCESS);
  EXPECT_TRUE(fs::exists(home.autostart() + "/other.desktop"));
  EXPECT_EQ(readFile(home.autostart() + "/tracesweep-norrick-tracesweep.desktop"),
            "[Desktop Entry]\nType=Application\nName=Foreign\nExec=foreign\n");
  EXPECT_TRUE(fs::exists(home.autostart() + "/tracesweep-garbage.desktop"));
}

TEST(RunKey, DataThatCannotBeAProgramIsRefused) {
  regtest::FakeHome home;
  HiveRegistry registry;
  HKEY h = 0;
  ASSERT_EQ(registry.RegOpenKeyEx(HKEY_CURRENT_USER, kRunKey, 0, KEY_WRITE, h), ERROR_SUCCESS);
  std::uint32_t number = 1;
  EXPECT_EQ(registry.RegSetValueEx(h, kTitle, REG_DWORD,
                                   reinterpret_cast<const std::uint8_t*>(&number), 4),
            13);
  registry.RegCloseKey(h);
  EXPECT_EQ(setString(registry, kRunKey, kTitle, "", false), 13);
  EXPECT_EQ(setString(registry, kRunKey, kTitle, "/a\tb", false), 13);
  EXPECT_EQ(setString(registry, kRunKey, kTitle, "/bad\xFFutf8", false), 13);
  EXPECT_TRUE(AutostartFolder::entries().empty());
}

TEST(ShellFolders, HoldsNoFolderOnLinuxAndWritesAreRefused) {
  regtest::FakeHome home;
  HiveRegistry registry;
  long result = 0;
  EXPECT_FALSE(getString(registry, kShellFolders, "Cookies", &result));
  EXPECT_EQ(result, ERROR_FILE_NOT_FOUND);

  EXPECT_EQ(setString(registry, kShellFolders, "Cookies", "/tmp", false), ERROR_ACCESS_DENIED);
  EXPECT_EQ(setString(registry, kShellFolders, "Cookies", "/tmp", true), ERROR_ACCESS_DENIED);
  EXPECT_EQ(deleteValue(registry, kShellFolders, "Cookies"), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(getString(registry, kShellFolders, "Cookies"));
  EXPECT_FALSE(fs::exists(home.hive()));
}

}  // namespace
}  // namespace platform::linux_os
