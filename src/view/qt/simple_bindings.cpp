#include "view/qt/simple_bindings.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <algorithm>

#include "view/qt/control_binding.h"

namespace view_qt {
namespace {

QString qs(const std::string& text) {
  return QString::fromStdString(text);
}

void name(QWidget* widget, const forms::Control& control) {
  widget->setObjectName(qs(control.Name()));
}

class LabelBinding : public ControlBinding {
 public:
  LabelBinding(forms::Label& label, QLabel* widget) : ControlBinding(label, widget), w_(widget) {
    sync();
  }

 protected:
  void pull() override {
    ControlBinding::pull();
    w_->setText(qs(control().Caption()));
  }

 private:
  QLabel* w_;
};

class FrameBinding : public ControlBinding {
 public:
  FrameBinding(forms::Frame& frame, QGroupBox* widget) : ControlBinding(frame, widget), w_(widget) {
    sync();
  }

 protected:
  void pull() override {
    ControlBinding::pull();
    w_->setTitle(qs(control().Caption()));
  }

 private:
  QGroupBox* w_;
};

class PlainBinding : public ControlBinding {
 public:
  PlainBinding(forms::Control& control, QWidget* widget) : ControlBinding(control, widget) {
    sync();
  }
};

class ButtonBinding : public ControlBinding {
 public:
  ButtonBinding(forms::Control& button, QAbstractButton* widget, Handler onClick)
      : ControlBinding(button, widget), w_(widget) {
    connect(widget, &QAbstractButton::clicked, this, [this, onClick] { runHandler(onClick); });
    sync();
  }

 protected:
  void pull() override {
    ControlBinding::pull();
    QString text = qs(control().Caption());
    w_->setText(text);
    // Room around the caption, and one width for short captions.
    int textWidth = w_->fontMetrics().horizontalAdvance(QString(text).remove('&'));
    w_->setMinimumWidth(std::max(80, textWidth + 28));
  }

 private:
  QAbstractButton* w_;
};

class CheckBoxBinding : public ControlBinding {
 public:
  CheckBoxBinding(forms::CheckBox& box, QCheckBox* widget, Handler onClick)
      : ControlBinding(box, widget), box_(box), w_(widget) {
    connect(widget, &QCheckBox::clicked, this, [this, onClick](bool checked) {
      writeModel([&] { box_.setValue(checked ? 1 : 0); });
      runHandler(onClick);
    });
    sync();
  }

 protected:
  void pull() override {
    ControlBinding::pull();
    w_->setText(qs(control().Caption()));
    w_->setChecked(box_.Value() == 1);
  }

 private:
  forms::CheckBox& box_;
  QCheckBox* w_;
};

class OptionBinding : public ControlBinding {
 public:
  OptionBinding(forms::OptionButton& option, QRadioButton* widget,
                std::vector<forms::OptionButton*> others, Handler onClick)
      : ControlBinding(option, widget), option_(option), w_(widget) {
    connect(widget, &QRadioButton::clicked, this, [this, others, onClick] {
      writeModel([&] { option_.setValue(true); });
      // The others update their own widgets through their bindings.
      if (attached())
        for (auto* other : others) other->setValue(false);
      runHandler(onClick);
    });
    sync();
  }

 protected:
  void pull() override {
    ControlBinding::pull();
    w_->setText(qs(control().Caption()));
    if (w_->isChecked() == option_.Value()) return;
    // An exclusive radio button cannot be cleared directly; the model may
    // hold neither option selected.
    bool exclusive = w_->autoExclusive();
    w_->setAutoExclusive(false);
    w_->setChecked(option_.Value());
    w_->setAutoExclusive(exclusive);
  }

 private:
  forms::OptionButton& option_;
  QRadioButton* w_;
};

class TextBinding : public ControlBinding {
 public:
  TextBinding(forms::TextBox& box, QLineEdit* widget)
      : ControlBinding(box, widget), box_(box), w_(widget) {
    connect(widget, &QLineEdit::textEdited, this,
            [this](const QString& text) { writeModel([&] { box_.setText(text.toStdString()); }); });
    sync();
  }

 protected:
  void pull() override {
    ControlBinding::pull();
    QString text = qs(box_.Text());
    if (w_->text() != text) w_->setText(text);  // keeps the cursor when unchanged
  }

 private:
  forms::TextBox& box_;
  QLineEdit* w_;
};

class TabBinding : public ControlBinding {
 public:
  TabBinding(forms::TabControl& tabs, QTabWidget* widget, Handler onClick)
      : ControlBinding(tabs, widget), tabs_(tabs), w_(widget) {
    connect(widget, &QTabWidget::currentChanged, this, [this, onClick](int index) {
      if (pulling_ || index < 0 || index == tabs_.Tab()) return;
      writeModel([&] { tabs_.setTab(index); });
      runHandler(onClick);
    });
    sync();
  }

 protected:
  void pull() override {
    ControlBinding::pull();
    pulling_ = true;
    for (int i = 0; i < w_->count() && i < static_cast<int>(tabs_.Tabs().size()); ++i)
      w_->setTabText(i, qs(tabs_.Tabs()[static_cast<std::size_t>(i)]));
    w_->setCurrentIndex(tabs_.Tab());
    pulling_ = false;
  }

 private:
  forms::TabControl& tabs_;
  QTabWidget* w_;
  bool pulling_ = false;
};

}  // namespace

void bindLabel(forms::Label& label, QLabel* widget) {
  name(widget, label);
  widget->setTextFormat(Qt::PlainText);
  new LabelBinding(label, widget);
}

void bindFrame(forms::Frame& frame, QGroupBox* widget) {
  name(widget, frame);
  new FrameBinding(frame, widget);
}

void bindPlain(forms::Control& control, QWidget* widget) {
  name(widget, control);
  new PlainBinding(control, widget);
}

void bindButton(forms::CommandButton& button, QAbstractButton* widget, Handler onClick) {
  name(widget, button);
  new ButtonBinding(button, widget, std::move(onClick));
}

void bindCheckBox(forms::CheckBox& box, QCheckBox* widget, Handler onClick) {
  name(widget, box);
  new CheckBoxBinding(box, widget, std::move(onClick));
}

void bindOption(forms::OptionButton& option, QRadioButton* widget,
                std::vector<forms::OptionButton*> others, Handler onClick) {
  name(widget, option);
  new OptionBinding(option, widget, std::move(others), std::move(onClick));
}

void bindTextBox(forms::TextBox& box, QLineEdit* widget) {
  name(widget, box);
  new TextBinding(box, widget);
}

void bindTabs(forms::TabControl& tabs, QTabWidget* widget, Handler onClick) {
  name(widget, tabs);
  new TabBinding(tabs, widget, std::move(onClick));
}

}  // namespace view_qt
