// The registry of Windows through the program's calls: the autostart value in
// the Run key, the preferences, and the cookie folder from Shell Folders.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <set>
#include <sstream>
#include <thread>

#include "app/modmain.h"
#include "identity.h"
#include "platform/registry_settings_store.h"
#include "platform/windows/settings_lock_file.h"
#include "platform/windows/windows_registry.h"
#include "test_files.h"
#include "traces/mod_reg.h"
#include "windows_services.h"

namespace {

using namespace platform;

constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string readText(Registry& registry, const char* subKey, const std::string& name,
                     long& result) {
  platform::HKEY key = 0;
  result = registry.RegOpenKeyEx(HKEY_CURRENT_USER, subKey, 0, KEY_READ, key);
  if (result != 0) return "";
  std::uint32_t type = 0, size = 0;
  result = registry.RegQueryValueEx(key, name, &type, nullptr, &size);
  std::string text(size, '\0');
  if (result == 0)
    result = registry.RegQueryValueEx(key, name, &type,
                                      reinterpret_cast<std::uint8_t*>(text.data()), &size);
  registry.RegCloseKey(key);
  return text.substr(0, text.find('\0'));
}

TEST(WindowsRegistry, AutostartValueIsWrittenAndRemovedInTheRunKey) {
  windows_test::RealWindows real;
  app::Modmain app(real.platform());
  app.SetAutoStart(true);
  long result = -1;
  const std::string command = readText(real.platform().registry, kRun, identity::kAppTitle, result);
  ASSERT_EQ(result, 0);
  // The program folder, "\", the file name and ".exe": a file Windows can start.
  EXPECT_EQ(command, real.platform().process.programFolder() + "\\" +
                         real.platform().process.programName() + ".exe");
  EXPECT_TRUE(std::filesystem::exists(command)) << command;

  app.SetAutoStart(false);
  readText(real.platform().registry, kRun, identity::kAppTitle, result);
  EXPECT_EQ(result, 2);  // ERROR_FILE_NOT_FOUND: the value is gone
}

TEST(WindowsRegistry, PreferencesRoundTripAndMissingKeysGiveTheSystemsText) {
  windows_test::RealWindows real;
  auto& settings = real.platform().settings;
  settings.SaveSetting("Tracesweep test", "Options", "autoclearcache", "1");
  EXPECT_EQ(settings.GetSetting("Tracesweep test", "Options", "autoclearcache", "0"), "1");
  EXPECT_EQ(settings.GetSetting("Tracesweep test", "Options", "absent", "dflt"), "dflt");

  auto& registry = real.platform().registry;
  platform::HKEY key = 0;
  EXPECT_EQ(registry.RegOpenKey(HKEY_CURRENT_USER, "Software\\No such key of ours", key), 2);
  EXPECT_EQ(key, 0u);
  // "The system cannot find the file specified." (Wine: "File not found."),
  // ending in the system's line break.
  const std::string text = registry.FormatMessage(2);
  ASSERT_GT(text.size(), 2u);
  EXPECT_EQ(text.back(), '\n');

  // GetRegValue shows the system's words once and gives nothing: the read
  // fails on the key that could not be opened (no handle, 6).
  EXPECT_EQ(
      traces::GetRegValue(real.platform(), HKEY_CURRENT_USER, "Software\\No such key of ours", "x"),
      "");
  ASSERT_EQ(real.fake.msgbox.shown.size(), 1u);
  EXPECT_EQ(real.fake.msgbox.shown[0].text, registry.FormatMessage(6));
}

// Two copies of the program adding to one list at the same time, each slow
// between its read and its write: the settings lock makes the second wait,
// so every item lands.
TEST(WindowsRegistry, CopiesChangingOneListAtOnceLoseNothing) {
  windows_test::TestFolder folder("settings lock");
  constexpr const char* kApp = "Tracesweep test";
  {
    windows_os::WindowsRegistry registry;
    RegistrySettingsStore(registry).SaveSetting(kApp, "Lists", "items", "");
  }
  constexpr int kChanges = 5;
  bool saved[2] = {true, true};
  auto copy = [&](int which) {
    windows_os::WindowsRegistry registry;
    windows_os::SettingsLockFile lock(folder.path());
    RegistrySettingsStore store(registry, &lock);
    for (int i = 0; i < kChanges; ++i) {
      const std::string item = std::to_string(which) + "." + std::to_string(i);
      saved[which] = store
                         .change([&](SettingsEditor& editor) {
                           const std::string items = editor.GetSetting(kApp, "Lists", "items", "");
                           std::this_thread::sleep_for(std::chrono::milliseconds(20));
                           editor.SaveSetting(kApp, "Lists", "items", items + " " + item);
                         })
                         .ok() &&
                     saved[which];
    }
  };
  std::thread first(copy, 0), second(copy, 1);
  first.join();
  second.join();
  EXPECT_TRUE(saved[0] && saved[1]);
  windows_os::WindowsRegistry registry;
  std::istringstream items(RegistrySettingsStore(registry).GetSetting(kApp, "Lists", "items", ""));
  EXPECT_EQ(std::set<std::string>(std::istream_iterator<std::string>(items), {}).size(),
            2u * kChanges);
}

TEST(WindowsRegistry, TypedValuesReadAsTheProgramReadsThem) {
  windows_test::RealWindows real;
  auto& registry = real.platform().registry;
  platform::HKEY key = 0;
  ASSERT_EQ(registry.RegCreateKey(HKEY_CURRENT_USER, "Software\\Tracesweep test\\Types", key), 0);
  const std::uint8_t minusOne[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  const char expand[] = "%SystemRoot%\\x";
  registry.RegSetValueEx(key, "binary", REG_BINARY, minusOne, 4);
  registry.RegSetValueEx(key, "expand", REG_EXPAND_SZ,
                         reinterpret_cast<const std::uint8_t*>(expand), sizeof expand);
  registry.RegCloseKey(key);
  auto& p = real.platform();
  EXPECT_EQ(traces::GetRegValue(p, HKEY_CURRENT_USER, "Software\\Tracesweep test\\Types", "binary"),
            "-1");
  EXPECT_EQ(traces::GetRegValue(p, HKEY_CURRENT_USER, "Software\\Tracesweep test\\Types", "expand"),
            "%SystemRoot%\\x");
  EXPECT_TRUE(real.fake.msgbox.shown.empty());
}

TEST(WindowsRegistry, CookieFolderComesFromShellFolders) {
  windows_test::RealWindows real;
  long result = -1;
  const std::string cookies = readText(real.platform().registry, kShellFolders, "Cookies", result);
  ASSERT_EQ(result, 0) << "Shell Folders\\Cookies is missing";
  EXPECT_FALSE(cookies.empty());
  EXPECT_EQ(traces::GetRegValue(real.platform(), HKEY_CURRENT_USER, kShellFolders, "Cookies"),
            cookies);
}

}  // namespace
