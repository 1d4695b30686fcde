// Test helpers: the Linux shell's temporary folder judged by the Linux rules
// (as the program's shell does), and a bundle of fakes around a file layer.
#pragma once

#include "platform/fake/fake_platform.h"
#include "platform/linux/common/folder_safety.h"
#include "platform/linux/system/linux_shell.h"

namespace areas::test_support {

class GuardedShell : public platform::linux_os::LinuxShell {
 public:
  bool mayClearFolder(const std::string& folder) override {
    return platform::linux_os::MayClearFolder(folder);
  }
};

inline platform::Platform withFilesAndShell(platform::fake::FakePlatform& fake,
                                            platform::FileLayer& files, platform::Shell& shell) {
  return platform::Platform{
      files,           fake.registry, fake.settings, fake.urlCache, fake.history, fake.trash, shell,
      fake.downloader, fake.process,  fake.msgbox,   fake.dialogs,  fake.windows, fake.tray};
}

}  // namespace areas::test_support
