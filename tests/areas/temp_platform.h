// Test helper: a bundle of fakes around a real file layer and shell.
#pragma once

#include "forms/fake/fake_platform.h"
#include "platform/linux/system/linux_shell.h"

namespace areas::test_support {

inline forms::Platform withFilesAndShell(forms::fake::FakePlatform& fake,
                                         platform::FileLayer& files, platform::Shell& shell) {
  return forms::withView(
      platform::System{files, fake.registry, fake.settings, fake.urlCache, fake.history, fake.trash,
                       shell, fake.downloader, fake.process},
      fake.msgbox, fake.dialogs, fake.windows, fake.tray);
}

}  // namespace areas::test_support
