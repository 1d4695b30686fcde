// Bindings of the simple controls: labels, frames, buttons, check boxes,
// option buttons, text boxes, the link label and the tab control. Each one
// creates its window, named after the control, and binds it both ways.
#pragma once

#include <functional>
#include <vector>

#include "forms/controls.h"
#include "view/win32/control_binding.h"

namespace view_win32 {

// A static text; `style` adds SS_ alignment or wrapping.
class LabelBinding : public Binding {
 public:
  LabelBinding(FormWindow& owner, forms::Label& label, HWND parent, DWORD style = 0);

 protected:
  void pull() override;
};

// A group box around other controls.
class FrameBinding : public Binding {
 public:
  FrameBinding(FormWindow& owner, forms::Frame& frame, HWND parent);

 protected:
  void pull() override;
};

// A control drawn by the view itself (picture, line): Enabled only.
class PlainBinding : public Binding {
 public:
  PlainBinding(FormWindow& owner, forms::Control& control, HWND window);
};

class ButtonBinding : public Binding {
 public:
  ButtonBinding(FormWindow& owner, forms::CommandButton& button, HWND parent, Handler onClick);
  bool onCommand(UINT code) override;
  // The width the caption needs, with room around it.
  int preferredWidth() const;

 protected:
  void pull() override;

 private:
  Handler onClick_;
};

class CheckBoxBinding : public Binding {
 public:
  CheckBoxBinding(FormWindow& owner, forms::CheckBox& box, HWND parent, Handler onClick = {});
  bool onCommand(UINT code) override;

 protected:
  void pull() override;

 private:
  forms::CheckBox& box_;
  Handler onClick_;
};

// Option buttons of one container: a user's click selects this one and clears
// the others, as option buttons do. The first of a group starts it.
class OptionBinding : public Binding {
 public:
  OptionBinding(FormWindow& owner, forms::OptionButton& option, HWND parent, bool firstOfGroup,
                std::vector<forms::OptionButton*> others, Handler onClick = {});
  bool onCommand(UINT code) override;

 protected:
  void pull() override;

 private:
  forms::OptionButton& option_;
  std::vector<forms::OptionButton*> others_;
  Handler onClick_;
};

class TextBinding : public Binding {
 public:
  TextBinding(FormWindow& owner, forms::TextBox& box, HWND parent, bool readOnly = false);
  bool onCommand(UINT code) override;

 protected:
  void pull() override;

 private:
  forms::TextBox& box_;
  bool pulling_ = false;
};

// A label drawn as a web link that a click, Enter or Space follows.
class LinkBinding : public Binding {
 public:
  LinkBinding(FormWindow& owner, forms::Label& label, HWND parent, Handler onClick);
  bool onNotify(NMHDR* header, LRESULT& result) override;
  int preferredWidth() const;

 protected:
  void pull() override;

 private:
  Handler onClick_;
};

// A user's change of page selects the tab in the model, then runs onClick;
// showPage shows the page of a tab, whoever selected it.
class TabBinding : public Binding {
 public:
  TabBinding(FormWindow& owner, forms::TabControl& tabs, HWND parent, Handler onClick,
             std::function<void(int)> showPage);
  bool onNotify(NMHDR* header, LRESULT& result) override;
  // Moves to the next (+1) or previous (-1) tab, as a user's click would.
  void step(int direction);

 protected:
  void pull() override;

 private:
  void userSelected(int index);

  forms::TabControl& tabs_;
  Handler onClick_;
  std::function<void(int)> showPage_;
};

}  // namespace view_win32
