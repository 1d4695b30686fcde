// Scripted stand-ins for the view's services, for tests: they record every
// box, window and menu and answer as told.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "forms/dialogs.h"
#include "forms/message_box.h"
#include "forms/tray.h"
#include "forms/window_manager.h"

namespace platform::fake {

struct ShownBox {
  std::string text;
  int style = 0;
  std::string caption;
};

class FakeMessageBox : public forms::MessageBoxService {
 public:
  int show(const std::string& text, int style, const std::string& caption) override;
  std::vector<ShownBox> shown;
  std::deque<int> answers;  // next answers; when empty: the default button (as Enter)
};

class FakeDialogs : public forms::DialogService {
 public:
  std::string openFile(const std::string& filter, forms::Form* owner) override;
  std::string browseForFolder(const std::string& initialFolder, const std::string& prompt,
                              forms::Form* owner) override;
  std::string nextFile, nextFolder;
  std::string lastFilter, lastInitialFolder, lastPrompt;
};

class FakeWindowManager : public forms::WindowManager {
 public:
  void load(forms::Form& form) override;
  // Shows and activates at once: runs Form_Activate.
  void show(forms::Form& form) override;
  void unload(forms::Form& form) override;
  void setTopmost(forms::Form& form) override;
  void doEvents() override { ++doEventsCalls; }
  void popupMenu(const std::vector<forms::MenuItem*>& items) override;
  void endProcess() override { ended = true; }

  bool isLoaded(const forms::Form& form) const;
  bool isVisible(const forms::Form& form) const;

  std::vector<std::string> log;  // "load frmmain", "show frmmain", ...
  std::vector<const forms::Form*> loaded, visible;
  std::vector<std::string> lastMenu;  // captions of the last pop-up menu
  std::string menuChoice;             // caption to choose; "" dismisses the menu
  int doEventsCalls = 0;
  bool ended = false;
};

class FakeTray : public forms::TrayService {
 public:
  bool available() const override { return isAvailable; }
  bool addIcon(const std::string& tip, std::function<void(int)> onMessage) override;
  void send(int message) {
    if (handler) handler(message);
  }
  void watchAvailability(std::function<void(bool)> onChange) override {
    availabilityHandler = std::move(onChange);
  }
  // The panel comes or goes, as the view would report it.
  void setAvailable(bool available) {
    isAvailable = available;
    if (availabilityHandler) availabilityHandler(available);
  }
  std::function<void(bool)> availabilityHandler;
  bool isAvailable = true;
  int added = 0;
  std::string tip;
  std::function<void(int)> handler;
};

}  // namespace platform::fake
