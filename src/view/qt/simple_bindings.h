// Bindings of the simple controls: labels, buttons, check boxes, option
// buttons, text boxes and the tab control.
#pragma once

#include <functional>
#include <vector>

#include "forms/controls.h"

class QAbstractButton;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTabWidget;
class QWidget;

namespace view_qt {

using Handler = std::function<void()>;

// Every function names the widget after the control (objectName) and binds it.
void bindLabel(forms::Label& label, QLabel* widget);
void bindFrame(forms::Frame& frame, QGroupBox* widget);
// A control drawn by the view itself (picture, line): name and Enabled only.
void bindPlain(forms::Control& control, QWidget* widget);
void bindButton(forms::CommandButton& button, QAbstractButton* widget, Handler onClick);
void bindCheckBox(forms::CheckBox& box, QCheckBox* widget, Handler onClick = {});
// Option buttons of one container: a user's click selects this one and clears
// the others, as option buttons do.
void bindOption(forms::OptionButton& option, QRadioButton* widget,
                std::vector<forms::OptionButton*> others, Handler onClick = {});
void bindTextBox(forms::TextBox& box, QLineEdit* widget);
// A user's change of page selects the tab in the model, then runs onClick.
void bindTabs(forms::TabControl& tabs, QTabWidget* widget, Handler onClick);

}  // namespace view_qt
