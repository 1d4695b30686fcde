// Every service as a fake, bundled: `FakePlatform f; Modmain app(f.platform());`
#pragma once

#include "forms/fake/fake_ui.h"
#include "forms/platform.h"
#include "platform/fake/fake_system.h"

namespace forms::fake {

struct FakePlatform : platform::fake::FakeSystem {
  FakeMessageBox msgbox;
  FakeDialogs dialogs;
  FakeWindowManager windows;
  FakeTray tray;

  Platform platform() { return withView(system(), msgbox, dialogs, windows, tray); }
};

}  // namespace forms::fake
