// The whole program's preferences and autostart entry, through the real hive
// file and the real XDG autostart folder in a temporary home.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/modmain.h"
#include "browsers/stores/browser_stores.h"
#include "forms/fake/fake_platform.h"
#include "platform/linux/registry/hive_registry.h"
#include "platform/registry_settings_store.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

struct ProgramOnDisk {
  explicit ProgramOnDisk(forms::fake::FakePlatform& fakes)
      : platform{forms::withView(
            platform::System{fakes.files, registry, settings, fakes.urlCache, fakes.history,
                             fakes.trash, fakes.shell, fakes.downloader, fakes.process},
            fakes.msgbox, fakes.dialogs, fakes.windows, fakes.tray)} {}
  platform::linux_os::HiveRegistry registry;
  platform::RegistrySettingsStore settings{registry};
  forms::Platform platform;
  // The Linux program's browser sources (no shell cookie folder on Linux).
  browsers::BrowserStores browsers{platform.files};
  app::Modmain app{platform, browsers.stores()};
};

class PreferencesOnDisk : public ::testing::Test {
 protected:
  testsupport::TempDir home;
  testsupport::EnvGuard homeVar{"HOME", home.str()};
  testsupport::EnvGuard config{"XDG_CONFIG_HOME", home.str() + "/.config"};
  testsupport::EnvGuard data{"XDG_DATA_HOME", home.str() + "/.local/share"};
  forms::fake::FakePlatform fakes;

  fs::path hive() const { return home.path() / ".config/tracesweep/registry.reg"; }
  std::vector<fs::path> autostartFiles() const {
    std::vector<fs::path> files;
    fs::path folder = home.path() / ".config/autostart";
    if (fs::exists(folder))
      for (auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path());
    return files;
  }
};

TEST_F(PreferencesOnDisk, TickingAndOkWritesTheHiveAndTheAutostartFileWhichTheNextRunReads) {
  fakes.process.folder = home.str() + "/my programs";
  {
    ProgramOnDisk program(fakes);
    program.app.Main();
    program.app.showMainForm();
    app::frmmain* main = program.app.mainForm();
    main->chkautostart.setValue(1);
    main->chkDelOnShutDown.setValue(1);
    main->wipe.optQuick.setValue(false);
    main->wipe.optDOD.setValue(true);
    main->cmdok_Click();
  }
  std::string text = testsupport::readFile(hive());
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\ Norrick Tracesweep\\Settings]"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\"runonshutdown\"=\"1\""), std::string::npos) << text;
  EXPECT_NE(text.find("\"shredlevel\"=\"False\""), std::string::npos) << text;
  auto files = autostartFiles();
  ASSERT_EQ(files.size(), 1u);
  std::string entry = testsupport::readFile(files[0]);
  EXPECT_NE(entry.find("Exec=\"" + home.str() + "/my programs/tracesweep\""), std::string::npos)
      << entry;

  // The next run starts from what was stored, and unticking removes the entry.
  ProgramOnDisk next(fakes);
  next.app.Main();
  app::frmmain* main = next.app.mainForm();
  EXPECT_EQ(main->chkDelOnShutDown.Value(), 1);
  EXPECT_TRUE(main->wipe.optDOD.Value());
  main->chkautostart.setValue(0);
  next.app.unloadMainForm();
  EXPECT_TRUE(autostartFiles().empty());
}

}  // namespace

TEST_F(PreferencesOnDisk, ADamagedHiveIsToldOnceWithWhereItWentAndWhatWasKept) {
  home.write(".config/tracesweep/registry.reg",
             "Windows Registry Editor Version 5.00\n\n"
             "[HKEY_CURRENT_USER\\Software\\ Norrick Tracesweep\\Settings]\n"
             "\"runonstart\"=\"1\"\n"
             "\"autodelcache\"=\"0\"\n"
             "\"autostart\"=\x01\x02 torn write\n"
             "\"shredlevel\"=\"False\"\n");
  {
    ProgramOnDisk program(fakes);
    program.app.Main();
    ASSERT_EQ(fakes.msgbox.shown.size(), 1u);
    const auto& box = fakes.msgbox.shown[0];
    EXPECT_EQ(box.style, forms::vbOKOnly | forms::vbInformation);
    EXPECT_EQ(box.caption, " Norrick Tracesweep");
    EXPECT_NE(box.text.find("The preferences could not be read (line 6: unreadable data)"),
              std::string::npos)
        << box.text;
    std::string aside = program.registry.setAsideFile();
    ASSERT_TRUE(fs::exists(aside));
    EXPECT_NE(box.text.find("kept as:\n" + aside + "\n"), std::string::npos) << box.text;
    EXPECT_NE(box.text.find("These settings were kept:\n"
                            "    Tracesweep on startup: on\n"
                            "    Clear Cache Automatically: off\n"
                            "    Secure Wipe: US DOD (7passes)\n"
                            "The others are back to their defaults."),
              std::string::npos)
        << box.text;
    // What was kept is in use at once: the start-up run took place.
    EXPECT_EQ(program.app.mainForm()->chkdelOnStart.Value(), 1);
  }
  ProgramOnDisk next(fakes);
  next.app.Main();
  EXPECT_EQ(fakes.msgbox.shown.size(), 1u);  // the mended hive is sound
  EXPECT_TRUE(next.app.mainForm()->wipe.optDOD.Value());
}
