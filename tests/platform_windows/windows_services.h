// The real Windows services with the view's services as fakes, for tests of
// the real calls.
#pragma once

#include <string>

#include "forms/fake/fake_platform.h"
#include "platform/windows/windows_platform.h"

namespace windows_test {

struct RealWindows {
  forms::fake::FakePlatform fake;
  platform::windows_os::WindowsSystem services;
  forms::Platform bundle =
      forms::withView(services.system(), fake.msgbox, fake.dialogs, fake.windows, fake.tray);
  forms::Platform& platform() { return bundle; }
};

// A folder path with its separator, as the ANSI calls take it.
inline std::string withBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder.push_back('\\');
  return folder;
}

}  // namespace windows_test
