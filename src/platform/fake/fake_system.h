// Every system service as a fake, bundled: `FakeSystem f; WipeFile(...)`.
#pragma once

#include "platform/fake/fake_services.h"

namespace platform::fake {

struct FakeSystem {
  FakeFileLayer files;
  RegistryTree registry;
  RegistrySettingsStore settings{registry};
  FakeUrlCache urlCache;
  FakeHistoryFactory history;
  FakeTrash trash;
  FakeShell shell;
  FakeDownloader downloader;
  FakeProcess process;

  System system() {
    return System{files, registry, settings, urlCache, history, trash, shell, downloader, process};
  }
};

}  // namespace platform::fake
