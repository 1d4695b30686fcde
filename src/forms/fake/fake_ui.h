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

namespace forms::fake {

struct ShownBox {
  std::string text;
  int style = 0;
  std::string caption;
};

class FakeMessageBox : public MessageBoxService {
 public:
  int show(const std::string& text, int style, const std::string& caption) override;
  std::vector<ShownBox> shown;
  std::deque<int> answers;  // next answers; when empty: the default button (as Enter)
};

class FakeDialogs : public DialogService {
 public:
  std::string openFile(const std::string& filter, Form* owner) override;
  std::string browseForFolder(const std::string& initialFolder, const std::string& prompt,
                              Form* owner) override;
  std::string nextFile, nextFolder;
  std::string lastFilter, lastInitialFolder, lastPrompt;
};

class FakeWindowManager : public WindowManager {
 public:
  void load(Form& form) override;
  // Shows and activates at once: runs Form_Activate.
  void show(Form& form) override;
  void unload(Form& form) override;
  void setTopmost(Form& form) override;
  void doEvents() override { ++doEventsCalls; }
  void popupMenu(const std::vector<forms::MenuItem*>& items) override;
  void endProcess() override { ended = true; }

  bool isLoaded(const Form& form) const;
  bool isVisible(const Form& form) const;

  std::vector<std::string> log;  // "load frmmain", "show frmmain", ...
  std::vector<const Form*> loaded, visible;
  std::vector<std::string> lastMenu;  // captions of the last pop-up menu
  std::string menuChoice;             // caption to choose; "" dismisses the menu
  int doEventsCalls = 0;
  bool ended = false;
};

class FakeTray : public TrayService {
 public:
  bool available() const override { return isAvailable; }
  bool addIcon(const std::string& tip, std::function<void(int)> onMessage) override;
  void send(int message) {
    if (handler) handler(message);
  }
  bool showMessage(const std::string& title, const std::string& text) override {
    messages.push_back(title + ": " + text);
    return added > 0;
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
  std::vector<std::string> messages;  // "title: text" of every balloon
  int added = 0;
  std::string tip;
  std::function<void(int)> handler;
};

}  // namespace forms::fake
