#include "view/win32/simple_bindings.h"

#include <algorithm>
#include <string>

#include "view/win32/form_window.h"

namespace view_win32 {
namespace {

std::string windowText(HWND window) {
  int length = GetWindowTextLengthA(window);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  int got = GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(got, 0)));
  return text;
}

void setTextIfChanged(HWND window, const std::string& text) {
  if (windowText(window) != text) SetWindowTextA(window, text.c_str());
}

bool checked(HWND window) {
  return SendMessageA(window, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

}  // namespace

LabelBinding::LabelBinding(FormWindow& owner, forms::Label& label, HWND parent, DWORD style)
    : Binding(owner, label,
              owner.createChild(parent, "STATIC", "", SS_NOPREFIX | SS_LEFT | style)) {
  sync();
}

void LabelBinding::pull() {
  Binding::pull();
  setTextIfChanged(window(), control().Caption());
}

FrameBinding::FrameBinding(FormWindow& owner, forms::Frame& frame, HWND parent)
    : Binding(owner, frame, owner.createChild(parent, "BUTTON", "", BS_GROUPBOX)) {
  sync();
}

void FrameBinding::pull() {
  Binding::pull();
  setTextIfChanged(window(), control().Caption());
}

PlainBinding::PlainBinding(FormWindow& owner, forms::Control& control, HWND window)
    : Binding(owner, control, window) {
  sync();
}

ButtonBinding::ButtonBinding(FormWindow& owner, forms::CommandButton& button, HWND parent,
                             Handler onClick)
    : Binding(owner, button, owner.createChild(parent, "BUTTON", "", BS_PUSHBUTTON | WS_TABSTOP)),
      onClick_(std::move(onClick)) {
  sync();
}

bool ButtonBinding::onCommand(UINT code) {
  if (code != BN_CLICKED) return false;
  runHandler(onClick_);
  return true;
}

void ButtonBinding::pull() {
  Binding::pull();
  setTextIfChanged(window(), control().Caption());
}

int ButtonBinding::preferredWidth() const {
  FormWindow& form = const_cast<ButtonBinding*>(this)->owner();
  int text = textWidth(form.font(), windowText(window()).c_str());
  return std::max(form.px(80), text + form.px(24));
}

CheckBoxBinding::CheckBoxBinding(FormWindow& owner, forms::CheckBox& box, HWND parent,
                                 Handler onClick)
    : Binding(owner, box, owner.createChild(parent, "BUTTON", "", BS_AUTOCHECKBOX | WS_TABSTOP)),
      box_(box),
      onClick_(std::move(onClick)) {
  sync();
}

bool CheckBoxBinding::onCommand(UINT code) {
  if (code != BN_CLICKED) return false;
  bool ticked = checked(window());
  writeModel([&] { box_.setValue(ticked ? 1 : 0); });
  runHandler(onClick_);
  return true;
}

void CheckBoxBinding::pull() {
  Binding::pull();
  setTextIfChanged(window(), control().Caption());
  SendMessageA(window(), BM_SETCHECK, box_.Value() == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
}

OptionBinding::OptionBinding(FormWindow& owner, forms::OptionButton& option, HWND parent,
                             bool firstOfGroup, std::vector<forms::OptionButton*> others,
                             Handler onClick)
    : Binding(owner, option,
              owner.createChild(parent, "BUTTON", "",
                                BS_AUTORADIOBUTTON | (firstOfGroup ? WS_GROUP | WS_TABSTOP : 0))),
      option_(option),
      others_(std::move(others)),
      onClick_(std::move(onClick)) {
  sync();
}

bool OptionBinding::onCommand(UINT code) {
  if (code != BN_CLICKED || !checked(window())) return false;
  writeModel([&] { option_.setValue(true); });
  // The others update their own windows through their bindings.
  if (attached())
    for (auto* other : others_) other->setValue(false);
  runHandler(onClick_);
  return true;
}

void OptionBinding::pull() {
  Binding::pull();
  setTextIfChanged(window(), control().Caption());
  // The model may hold neither option selected; the window follows it.
  SendMessageA(window(), BM_SETCHECK, option_.Value() ? BST_CHECKED : BST_UNCHECKED, 0);
}

TextBinding::TextBinding(FormWindow& owner, forms::TextBox& box, HWND parent, bool readOnly)
    : Binding(owner, box,
              owner.createChild(parent, "EDIT", "",
                                ES_AUTOHSCROLL | WS_TABSTOP | (readOnly ? ES_READONLY : 0),
                                WS_EX_CLIENTEDGE)),
      box_(box) {
  sync();
}

bool TextBinding::onCommand(UINT code) {
  if (code != EN_CHANGE || pulling_) return false;
  std::string text = windowText(window());
  writeModel([&] { box_.setText(std::move(text)); });
  return true;
}

void TextBinding::pull() {
  Binding::pull();
  pulling_ = true;
  setTextIfChanged(window(), box_.Text());  // keeps the caret when unchanged
  pulling_ = false;
}

LinkBinding::LinkBinding(FormWindow& owner, forms::Label& label, HWND parent, Handler onClick)
    : Binding(owner, label, owner.createChild(parent, "SysLink", "", WS_TABSTOP)),
      onClick_(std::move(onClick)) {
  sync();
}

bool LinkBinding::onNotify(NMHDR* header, LRESULT& /*result*/) {
  if (header->code != NM_CLICK && header->code != NM_RETURN) return false;
  runHandler(onClick_);
  return true;
}

void LinkBinding::pull() {
  Binding::pull();
  // The link's markup: the caption is text, never markup of its own.
  std::string text = control().Caption();
  std::string escaped;
  for (char c : text) escaped += c == '<' ? std::string("&lt;") : std::string(1, c);
  setTextIfChanged(window(), "<a>" + escaped + "</a>");
}

int LinkBinding::preferredWidth() const {
  FormWindow& form = const_cast<LinkBinding*>(this)->owner();
  return textWidth(form.font(), const_cast<LinkBinding*>(this)->control().Caption().c_str()) +
         form.px(8);
}

TabBinding::TabBinding(FormWindow& owner, forms::TabControl& tabs, HWND parent, Handler onClick,
                       std::function<void(int)> showPage)
    : Binding(
          owner, tabs,
          // The pages are its children, and keyboard navigation enters them.
          owner.createChild(parent, WC_TABCONTROLA, "",
                            WS_TABSTOP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT)),
      tabs_(tabs),
      onClick_(std::move(onClick)),
      showPage_(std::move(showPage)) {
  for (std::size_t i = 0; i < tabs_.Tabs().size(); ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(tabs_.Tabs()[i].c_str());
    SendMessageA(window(), TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
  sync();
}

bool TabBinding::onNotify(NMHDR* header, LRESULT& /*result*/) {
  if (header->code != static_cast<UINT>(TCN_SELCHANGE)) return false;
  userSelected(static_cast<int>(SendMessageA(window(), TCM_GETCURSEL, 0, 0)));
  return true;
}

void TabBinding::step(int direction) {
  int count = static_cast<int>(tabs_.Tabs().size());
  if (count == 0) return;
  int next =
      (static_cast<int>(SendMessageA(window(), TCM_GETCURSEL, 0, 0)) + direction + count) % count;
  SendMessageA(window(), TCM_SETCURSEL, static_cast<WPARAM>(next), 0);
  userSelected(next);
  // The focus mark moves with the selection (a notification it sends finds
  // the tab already selected).
  SendMessageA(window(), TCM_SETCURFOCUS, static_cast<WPARAM>(next), 0);
}

void TabBinding::userSelected(int index) {
  if (index < 0 || !attached()) return;
  if (showPage_) showPage_(index);
  if (index == tabs_.Tab()) return;
  writeModel([&] { tabs_.setTab(index); });
  runHandler(onClick_);
}

void TabBinding::pull() {
  Binding::pull();
  for (std::size_t i = 0; i < tabs_.Tabs().size(); ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(tabs_.Tabs()[i].c_str());
    SendMessageA(window(), TCM_SETITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
  if (SendMessageA(window(), TCM_GETCURSEL, 0, 0) != tabs_.Tab()) {
    SendMessageA(window(), TCM_SETCURSEL, static_cast<WPARAM>(tabs_.Tab()), 0);
    SendMessageA(window(), TCM_SETCURFOCUS, static_cast<WPARAM>(tabs_.Tab()), 0);
  }
  if (showPage_) showPage_(tabs_.Tab());
}

}  // namespace view_win32
