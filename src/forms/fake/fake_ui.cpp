#include "forms/fake/fake_ui.h"

#include <algorithm>

namespace forms::fake {

int FakeMessageBox::show(const std::string& text, int style, const std::string& caption) {
  shown.push_back({text, style, caption});
  if (!answers.empty()) {
    int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  // Unscripted, the box is answered as Enter answers it: its default button.
  const bool second = (style & 0x300) == forms::vbDefaultButton2;
  if ((style & 0xF) == forms::vbYesNo) return second ? forms::vbNo : forms::vbYes;
  if ((style & 0xF) == forms::vbOKCancel && second) return forms::vbCancel;
  return forms::vbOK;
}

std::string FakeDialogs::openFile(const std::string& filter, forms::Form*) {
  lastFilter = filter;
  return nextFile;
}

std::string FakeDialogs::browseForFolder(const std::string& initialFolder,
                                         const std::string& prompt, forms::Form*) {
  lastInitialFolder = initialFolder;
  lastPrompt = prompt;
  return nextFolder;
}

void FakeWindowManager::load(forms::Form& form) {
  log.push_back("load " + form.Name());
  loaded.push_back(&form);
}

void FakeWindowManager::show(forms::Form& form) {
  log.push_back("show " + form.Name());
  if (!isLoaded(form)) loaded.push_back(&form);
  if (!isVisible(form)) visible.push_back(&form);
  form.Form_Activate();
}

void FakeWindowManager::unload(forms::Form& form) {
  log.push_back("unload " + form.Name());
  std::erase(loaded, &form);
  std::erase(visible, &form);
}

void FakeWindowManager::setTopmost(forms::Form& form) {
  log.push_back("topmost " + form.Name());
}

void FakeWindowManager::popupMenu(const std::vector<forms::MenuItem*>& items) {
  log.push_back("menu");
  lastMenu.clear();
  for (auto* item : items) lastMenu.push_back(item->Caption());
  std::string choice = menuChoice;
  menuChoice.clear();
  for (auto* item : items) {
    if (item->Caption() == choice && item->onClick) {
      item->onClick();
      return;
    }
  }
}

bool FakeWindowManager::isLoaded(const forms::Form& form) const {
  return std::find(loaded.begin(), loaded.end(), &form) != loaded.end();
}

bool FakeWindowManager::isVisible(const forms::Form& form) const {
  return std::find(visible.begin(), visible.end(), &form) != visible.end();
}

bool FakeTray::addIcon(const std::string& tipText, std::function<void(int)> onMessage) {
  ++added;
  tip = tipText;
  handler = std::move(onMessage);
  return isAvailable;
}

}  // namespace forms::fake
