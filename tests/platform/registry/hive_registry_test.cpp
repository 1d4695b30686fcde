#include "platform/linux/registry/hive_registry.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <sstream>

#include "platform/linux/registry/reg_file_format.h"
#include "platform/registry_settings_store.h"
#include "registry_env.h"

namespace platform::linux_os {
namespace {

namespace fs = std::filesystem;
using regtest::getString;
using regtest::setString;
using testsupport::readFile;

const char* kApp = " Norrick Tracesweep";
const char* kSettingsKey = "Software\\ Norrick Tracesweep\\Settings";

std::vector<std::string> filesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(HiveRegistry, SettingsPersistAcrossAReloadFromDisk) {
  regtest::FakeHome home;
  const std::vector<std::pair<std::string, std::string>> prefs = {
      {"autostart", "1"},           {"runonstart", "0"},    {"runonshutdown", "1"},
      {"autodelcookies", "1"},      {"autodelcache", "0"},  {"autodelhistory", "1"},
      {"autoemptyrecyclebin", "0"}, {"autocleartemp", "1"}, {"delcachedpasswords", "1"},
      {"secureforall", "0"},        {"shredlevel", "False"}};
  {
    HiveRegistry registry;
    EXPECT_FALSE(fs::exists(home.hive()));  // nothing is written before a change
    RegistrySettingsStore store(registry);
    EXPECT_EQ(store.GetSetting(kApp, "Settings", "shredlevel", "True"), "True");
    for (const auto& [key, value] : prefs) store.SaveSetting(kApp, "Settings", key, value);
  }
  HiveRegistry reloaded;
  RegistrySettingsStore store(reloaded);
  for (const auto& [key, value] : prefs)
    EXPECT_EQ(store.GetSetting(kApp, "Settings", key, "?"), value) << key;
  EXPECT_TRUE(reloaded.setAsideFile().empty());

  std::string file = readFile(home.hive());
  EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\ Norrick Tracesweep\\Settings]\n"
                      "\"autocleartemp\"=\"1\"\n"),
            std::string::npos);
  struct stat st {};
  ASSERT_EQ(stat(home.hive().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// The tray program and a command line run at the same time: what one writes
// the other reads, and neither writes back an old state over the other.
TEST(HiveRegistry, TwoCopiesSeeAndKeepEachOthersChanges) {
  regtest::FakeHome home;
  HiveRegistry tray;
  RegistrySettingsStore trayStore(tray);
  trayStore.SaveSetting(kApp, "Settings", "autodelcookies", "1");
  {
    HiveRegistry commandLine;
    RegistrySettingsStore store(commandLine);
    store.SaveSetting(kApp, "Settings", "keptsites", "example.com");
  }
  EXPECT_EQ(trayStore.GetSetting(kApp, "Settings", "keptsites", ""), "example.com");
  trayStore.SaveSetting(kApp, "Settings", "runonshutdown", "1");
  HiveRegistry later;
  RegistrySettingsStore store(later);
  EXPECT_EQ(store.GetSetting(kApp, "Settings", "keptsites", ""), "example.com");
  EXPECT_EQ(store.GetSetting(kApp, "Settings", "autodelcookies", ""), "1");
  EXPECT_EQ(store.GetSetting(kApp, "Settings", "runonshutdown", ""), "1");
}

// Copies of the program changing the settings at the same moment (command
// lines adding to a list, the tray saving its ticks): each change is made to
// what is stored at that moment and none is lost, and no copy removes
// another's unfinished temporary file.
TEST(HiveRegistry, CopiesChangingAtOnceLoseNoChange) {
  regtest::FakeHome home;
  constexpr int kCopies = 6, kChanges = 15;
  std::vector<pid_t> children;
  for (int copy = 0; copy < kCopies; ++copy) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      bool ok = true;
      for (int i = 0; i < kChanges; ++i) {
        HiveRegistry registry;  // a new copy of the program, reading the hive at its start
        RegistrySettingsStore store(registry, &registry);
        const std::string item = std::to_string(copy) + "." + std::to_string(i);
        ok = store
                 .change([&](SettingsEditor& editor) {
                   const std::string list = editor.GetSetting(kApp, "Settings", "list", "");
                   editor.SaveSetting(kApp, "Settings", "list", list + " " + item);
                 })
                 .ok() &&
             ok;
        ok = store.SaveSetting(kApp, "Settings", "copy" + std::to_string(copy), item).ok() && ok;
      }
      _exit(ok ? 0 : 1);
    }
    children.push_back(child);
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  HiveRegistry registry;
  RegistrySettingsStore store(registry);
  std::istringstream list(store.GetSetting(kApp, "Settings", "list", ""));
  std::set<std::string> items{std::istream_iterator<std::string>(list), {}};
  EXPECT_EQ(items.size(), static_cast<std::size_t>(kCopies * kChanges));
  for (int copy = 0; copy < kCopies; ++copy)
    EXPECT_EQ(store.GetSetting(kApp, "Settings", "copy" + std::to_string(copy), ""),
              std::to_string(copy) + "." + std::to_string(kChanges - 1));
  EXPECT_EQ(filesIn(fs::path(home.hive()).parent_path()),
            (std::vector<std::string>{"registry.reg", "registry.reg.lock"}));
}

TEST(HiveRegistry, DeletedValuesStayDeletedAfterReload) {
  regtest::FakeHome home;
  {
    HiveRegistry registry;
    setString(registry, kSettingsKey, "a", "1");
    setString(registry, kSettingsKey, "b", "2");
    EXPECT_EQ(regtest::deleteValue(registry, kSettingsKey, "A"), ERROR_SUCCESS);
    EXPECT_EQ(regtest::deleteValue(registry, kSettingsKey, "a"), ERROR_FILE_NOT_FOUND);
  }
  HiveRegistry reloaded;
  long result = 0;
  EXPECT_FALSE(getString(reloaded, kSettingsKey, "a", &result));
  EXPECT_EQ(result, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(getString(reloaded, kSettingsKey, "b"), "2");
}

// A damaged hive: the good values are kept (and saved at once), the original
// file is kept aside byte for byte, and nothing crashes.
void expectSalvaged(const regtest::FakeHome& home, const std::string& damaged) {
  ASSERT_TRUE(fs::create_directories(fs::path(home.hive()).parent_path()) ||
              fs::exists(fs::path(home.hive()).parent_path()));
  { std::ofstream(home.hive(), std::ios::binary) << damaged; }
  HiveRegistry registry;
  ASSERT_FALSE(registry.setAsideFile().empty());
  EXPECT_FALSE(registry.loadProblems().empty());
  EXPECT_EQ(readFile(registry.setAsideFile()), damaged);
  EXPECT_TRUE(
      fs::path(registry.setAsideFile()).filename().string().starts_with("registry.reg.bad-"));
  EXPECT_EQ(getString(registry, kSettingsKey, "before"), "kept");
  EXPECT_EQ(getString(registry, kSettingsKey, "after"), "kept too");

  RegParseResult onDisk = parseRegFile(readFile(home.hive()));
  EXPECT_FALSE(onDisk.damaged());
  HiveRegistry reloaded;
  EXPECT_TRUE(reloaded.setAsideFile().empty());
  EXPECT_EQ(getString(reloaded, kSettingsKey, "after"), "kept too");
  fs::remove(registry.setAsideFile());
}

TEST(HiveRegistry, DamagedFilesAreKeptAsideAndTheRestIsKept) {
  regtest::FakeHome home;
  const std::string head = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" +
                           std::string(kSettingsKey) + "]\r\n\"before\"=\"kept\"\r\n";
  const std::string tail = "\"after\"=\"kept too\"\r\n";
  std::string garbage(4096, '\0');
  std::mt19937 random(7);
  for (char& c : garbage) c = static_cast<char>(random() % 256);
  for (char& c : garbage)
    if (c == '\n' || c == '[') c = 'x';  // keep the garbage on one line, inside the key

  expectSalvaged(home, head + garbage + "\n" + tail);
  expectSalvaged(home, head + "\"long\"=\"" + std::string(1 << 20, 'y') + "\n" + tail);
  expectSalvaged(home, head + "\"cut\"=hex(2):41,00,42\n" + tail + "\"trunc\"=\"abc");
  expectSalvaged(home, "\xEF\xBB\xBF" + head + "\"x\"=hex(ffffffffff):00\n" + tail);
}

// The program stopped at each step of a repair (killed, power lost): the next
// start still finds the settings, and the damaged file is kept byte for byte.
TEST(HiveRegistry, ARepairStoppedAtAnyStepLeavesTheSettings) {
  using Step = HiveFile::RepairStep;
  const std::string damaged = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\" +
                              std::string(kSettingsKey) + "]\n\"runonstart\"=\"1\"\n\x01garbage\n";
  for (Step stop : {Step::KeptAside, Step::Written}) {
    regtest::FakeHome home;
    fs::create_directories(fs::path(home.hive()).parent_path());
    { std::ofstream(home.hive(), std::ios::binary) << damaged; }
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      HiveFile hive(home.hive());
      hive.onRepairStep = [stop](Step step) {
        if (step == stop) _exit(0);  // no destructor, no flush: as a kill would
      };
      hive.load();
      _exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    std::string onDisk = readFile(home.hive());
    EXPECT_TRUE(onDisk == damaged || !parseRegFile(onDisk).damaged());
    HiveRegistry registry;
    EXPECT_EQ(getString(registry, kSettingsKey, "runonstart"), "1");
    int copies = 0;
    for (const std::string& name : filesIn(home.config() + "/tracesweep")) {
      if (!name.starts_with("registry.reg.bad-")) continue;
      ++copies;
      EXPECT_EQ(readFile(home.config() + "/tracesweep/" + name), damaged);
    }
    EXPECT_GE(copies, 1);
    EXPECT_FALSE(parseRegFile(readFile(home.hive())).damaged());
  }
}

TEST(HiveRegistry, UnreadableHivesStartEmptyWithoutHanging) {
  regtest::FakeHome home;
  fs::create_directories(fs::path(home.hive()).parent_path());
  ASSERT_EQ(mkfifo(home.hive().c_str(), 0600), 0);  // reading would block forever
  {
    HiveRegistry registry;
    EXPECT_FALSE(registry.setAsideFile().empty());
    EXPECT_EQ(setString(registry, kSettingsKey, "v", "1"), ERROR_SUCCESS);
  }
  fs::remove(home.hive());
  fs::create_directory(home.hive());  // a folder where the file should be
  HiveRegistry registry;
  EXPECT_FALSE(registry.setAsideFile().empty());
  EXPECT_TRUE(fs::is_directory(registry.setAsideFile()));
  EXPECT_FALSE(getString(registry, kSettingsKey, "v"));
}

TEST(HiveRegistry, EveryWriteLeavesACompleteFileAndNoTemporaries) {
  regtest::FakeHome home;
  HiveRegistry registry;
  for (int i = 0; i < 60; ++i) {
    ASSERT_EQ(setString(registry, kSettingsKey, "n" + std::to_string(i % 13), std::to_string(i)),
              ERROR_SUCCESS);
    RegParseResult onDisk = parseRegFile(readFile(home.hive()));
    ASSERT_FALSE(onDisk.damaged());
    ASSERT_EQ(onDisk.keys.at(RegistryTree::normalise(kSettingsKey)).values.size(),
              static_cast<std::size_t>(std::min(i + 1, 13)));
  }
  EXPECT_EQ(filesIn(fs::path(home.hive()).parent_path()),
            (std::vector<std::string>{"registry.reg", "registry.reg.lock"}));
}

TEST(HiveRegistry, AKillDuringWritesLeavesTheOldOrTheNewFile) {
  regtest::FakeHome home;
  std::mt19937 random(3);
  for (int round = 0; round < 12; ++round) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      HiveRegistry registry;
      for (int i = 0;; ++i)
        setString(registry, kSettingsKey, "v" + std::to_string(i % 50), std::string(i % 500, 'z'));
    }
    usleep(2000 + random() % 20000);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    HiveRegistry registry;  // also clears the leftover temporary file
    EXPECT_TRUE(registry.setAsideFile().empty()) << "round " << round;
  }
  EXPECT_EQ(filesIn(fs::path(home.hive()).parent_path()),
            (std::vector<std::string>{"registry.reg", "registry.reg.lock"}));
}

// A change that could not be saved is not kept in memory either: written
// later, it would carry this copy's old view over what another copy saved.
TEST(HiveRegistry, AFailedSaveIsReportedAndForgotten) {
  testsupport::TempDir dir;
  dir.write("blocker", "a file where the hive's folder should be");
  HiveRegistry registry(dir.str() + "/blocker/registry.reg");
  HKEY h = 0;
  ASSERT_EQ(registry.RegCreateKey(HKEY_CURRENT_USER, "Software\\X", h), ERROR_SUCCESS);
  registry.RegCloseKey(h);
  EXPECT_EQ(setString(registry, "Software\\X", "v", "1"), kErrorRegistryIo);
  EXPECT_EQ(registry.FormatMessage(kErrorRegistryIo).substr(0, 20), "An I/O operation ini");
  EXPECT_EQ(readFile(dir.path() / "blocker"), "a file where the hive's folder should be");

  EXPECT_FALSE(getString(registry, "Software\\X", "v"));

  fs::remove(dir.path() / "blocker");
  EXPECT_EQ(setString(registry, "Software\\X", "w", "2"), ERROR_SUCCESS);
  HiveRegistry reloaded(dir.str() + "/blocker/registry.reg");
  EXPECT_FALSE(getString(reloaded, "Software\\X", "v"));
  EXPECT_EQ(getString(reloaded, "Software\\X", "w"), "2");
}

TEST(HiveRegistry, NamesThatTheFileCannotHoldAreRefused) {
  regtest::FakeHome home;
  HiveRegistry registry;
  EXPECT_EQ(setString(registry, "Software\\bad\nkey", "v", "1"), kErrorInvalidParameter);
  EXPECT_EQ(setString(registry, kSettingsKey, "bad\nname", "1"), kErrorInvalidParameter);
  EXPECT_EQ(setString(registry, kSettingsKey, "fine", "two\nlines"), ERROR_SUCCESS);
  HiveRegistry reloaded;
  EXPECT_TRUE(reloaded.setAsideFile().empty());
  EXPECT_EQ(getString(reloaded, kSettingsKey, "fine"), "two\nlines");
}

}  // namespace
}  // namespace platform::linux_os
