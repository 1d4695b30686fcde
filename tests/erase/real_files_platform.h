// The fake platform with the real Linux file layer in it, for tests that
// wipe real files in a temporary folder.
#pragma once

#include "forms/fake/fake_platform.h"
#include "platform/linux/files/linux_file_layer.h"

namespace erasetest {

struct RealFilesPlatform {
  forms::fake::FakePlatform fakes;
  platform::linux_os::LinuxFileLayer files;
  forms::Platform bundle{forms::withView(
      platform::System{files, fakes.registry, fakes.settings, fakes.urlCache, fakes.history,
                       fakes.trash, fakes.shell, fakes.downloader, fakes.process},
      fakes.msgbox, fakes.dialogs, fakes.windows, fakes.tray)};
};

}  // namespace erasetest
