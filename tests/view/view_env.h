// The platform bundle for the view's wiring tests: every service a fake
// except the window manager, which is the Qt one under test.
#pragma once

#include <QApplication>
#include <QWidget>

#include "forms/fake/fake_platform.h"
#include "view/qt/qt_window_manager.h"

namespace view_test {

struct ViewEnv {
  explicit ViewEnv(view_qt::QtWindowManager::Options options = {50, 0}) : windows(options) {}
  ~ViewEnv() { windows.unloadAll(); }

  forms::fake::FakePlatform fake;
  view_qt::QtWindowManager windows;
  forms::Platform platform{forms::withView(
      platform::System{fake.files, fake.registry, fake.settings, fake.urlCache, fake.history,
                       fake.trash, fake.shell, fake.downloader, fake.process},
      fake.msgbox, fake.dialogs, windows, fake.tray)};

  template <typename W>
  W* find(const forms::Form& form, const char* name) {
    QWidget* window = windows.windowOf(form);
    return window ? window->findChild<W*>(name) : nullptr;
  }
};

}  // namespace view_test
