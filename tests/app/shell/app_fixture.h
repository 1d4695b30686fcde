// A whole program on fakes: the application shell with every service scripted.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/modmain.h"
#include "forms/fake/fake_platform.h"
#include "identity.h"
#include "shell_folders.h"

namespace apptest {

// Records every text the splash and the progress window show, in order.
class RecordingWindows : public forms::fake::FakeWindowManager {
 public:
  void load(forms::Form& form) override {
    if (auto* splash = dynamic_cast<app::frmSplash*>(&form)) watch(splash->lblAction);
    if (auto* cleanUp = dynamic_cast<app::frmCleanUp*>(&form)) watch(cleanUp->lblAction);
    FakeWindowManager::load(form);
  }
  void show(forms::Form& form) override {
    if (dynamic_cast<app::frmSplash*>(&form) && onShowSplash) onShowSplash();
    FakeWindowManager::show(form);
  }
  std::vector<std::string> repainted;
  std::function<void()> onShowSplash;  // runs before the splash shows (and starts up)

 private:
  void watch(forms::Label& label) {
    label.setRefreshHandler([this, &label] { repainted.push_back(label.Caption()); });
  }
};

class CountingCache : public platform::fake::FakeUrlCache {
 public:
  platform::CacheHandle FindFirstUrlCacheEntry(void* buffer, std::uint32_t* size) override {
    ++listings;
    return FakeUrlCache::FindFirstUrlCacheEntry(buffer, size);
  }
  int listings = 0;
};

class AppTest : public ::testing::Test {
 protected:
  forms::fake::FakePlatform fakes;
  RecordingWindows windows;
  CountingCache cache;
  forms::Platform platform{forms::withView(
      platform::System{fakes.files, fakes.registry, fakes.settings, cache, fakes.history,
                       fakes.trash, fakes.shell, fakes.downloader, fakes.process},
      fakes.msgbox, fakes.dialogs, windows, fakes.tray)};
  app::Modmain app{platform};

  AppTest() {
    // The cookie page reads its folder from Shell Folders; an empty one lists nothing.
    testsupport::setCookieFolderValue(fakes.registry, "/cookies");
  }

  void store(const std::string& key, const std::string& value) {
    fakes.settings.SaveSetting(identity::kAppTitle, "Settings", key, value);
  }
  std::string stored(const std::string& key) {
    return fakes.settings.GetSetting(identity::kAppTitle, "Settings", key, "<absent>");
  }
  void createRunKey() {
    platform::HKEY key = 0;
    fakes.registry.RegCreateKey(platform::HKEY_CURRENT_USER, app::kRunKey, key);
    fakes.registry.RegCloseKey(key);
  }
  // The autostart value's data, or "<absent>".
  std::string autostartValue() {
    platform::HKEY key = 0;
    if (fakes.registry.RegOpenKey(platform::HKEY_CURRENT_USER, app::kRunKey, key) != 0)
      return "<absent>";
    std::uint8_t data[512];
    std::uint32_t size = sizeof data, type = 0;
    long rc = fakes.registry.RegQueryValueEx(key, identity::kAppTitle, &type, data, &size);
    fakes.registry.RegCloseKey(key);
    if (rc != 0) return "<absent>";
    return std::string(reinterpret_cast<char*>(data), size);
  }
  // Starts the program: Main, then the splash's start-up sequence.
  void start() { app.Main(); }
};

}  // namespace apptest
