// The view's services for a run without a display: no window is ever drawn,
// every message box goes to standard error and answers with its safe button
// (Cancel, No), no dialog is offered and there is no tray.
#pragma once

#include <iosfwd>

#include "forms/dialogs.h"
#include "forms/message_box.h"
#include "forms/tray.h"
#include "forms/window_manager.h"

namespace cli {

class StderrMessageBox : public forms::MessageBoxService {
 public:
  explicit StderrMessageBox(std::ostream& err) : err_(err) {}
  int show(const std::string& text, int style, const std::string& caption) override;

 private:
  std::ostream& err_;
};

class NoDialogs : public forms::DialogService {
 public:
  std::string openFile(const std::string&, forms::Form*) override { return {}; }
  std::string browseForFolder(const std::string&, const std::string&, forms::Form*) override {
    return {};
  }
};

class NoWindows : public forms::WindowManager {
 public:
  void load(forms::Form&) override {}
  void show(forms::Form&) override {}
  void unload(forms::Form&) override {}
  void setTopmost(forms::Form&) override {}
  void doEvents() override {}
  void popupMenu(const std::vector<forms::MenuItem*>&) override {}
  void endProcess() override {}
};

class NoTray : public forms::TrayService {
 public:
  bool available() const override { return false; }
  bool addIcon(const std::string&, std::function<void(int)>) override { return false; }
};

struct HeadlessUi {
  explicit HeadlessUi(std::ostream& err) : msgbox(err) {}
  StderrMessageBox msgbox;
  NoDialogs dialogs;
  NoWindows windows;
  NoTray tray;
};

}  // namespace cli
