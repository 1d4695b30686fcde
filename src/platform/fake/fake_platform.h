// Every service as a fake, bundled: `FakePlatform f; Modmain app(f.platform());`
#pragma once

#include "platform/fake/fake_services.h"
#include "platform/fake/fake_ui.h"

namespace platform::fake {

struct FakePlatform {
  FakeFileLayer files;
  RegistryTree registry;
  RegistrySettingsStore settings{registry};
  FakeUrlCache urlCache;
  FakeHistoryFactory history;
  FakeTrash trash;
  FakeShell shell;
  FakeDownloader downloader;
  FakeProcess process;
  FakeMessageBox msgbox;
  FakeDialogs dialogs;
  FakeWindowManager windows;
  FakeTray tray;

  Platform platform() { return withView(system(), msgbox, dialogs, windows, tray); }
  System system() {
    return System{files, registry, settings, urlCache, history, trash, shell, downloader, process};
  }
};

}  // namespace platform::fake
