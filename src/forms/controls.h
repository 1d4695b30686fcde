// The small control models that every window is made of. A control holds its
// state and tells one listener (the view) when the program changed it. Setting
// a value from the program never runs a click handler: only the view, on a
// user's own click, sets the value and then calls the window's handler.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace forms {

class Control {
 public:
  explicit Control(std::string name, std::string caption = {})
      : name_(std::move(name)), caption_(std::move(caption)) {}
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control() = default;

  const std::string& Name() const { return name_; }
  const std::string& Caption() const { return caption_; }
  void setCaption(std::string caption);

  bool Enabled() const { return enabled_; }
  void setEnabled(bool enabled);

  // Repaint now: the view brings its widget up to date and paints it at once,
  // without returning to the event loop.
  void Refresh();
  // Move the keyboard focus to this control.
  void SetFocus();

  // The view's hooks. Each control has at most one view.
  void setChangeListener(std::function<void()> listener) { onChange_ = std::move(listener); }
  void setRefreshHandler(std::function<void()> handler) { onRefresh_ = std::move(handler); }
  void setFocusHandler(std::function<void()> handler) { onFocus_ = std::move(handler); }
  void detachView();

 protected:
  void changed() const;

 private:
  std::string name_;
  std::string caption_;
  bool enabled_ = true;
  std::function<void()> onChange_;
  std::function<void()> onRefresh_;
  std::function<void()> onFocus_;
};

using Label = Control;
using Frame = Control;
using CommandButton = Control;
using PictureBox = Control;
using Line = Control;

class CheckBox : public Control {
 public:
  using Control::Control;
  // 0 unticked, 1 ticked; every gate tests for 1.
  int Value() const { return value_; }
  void setValue(int value);

 private:
  int value_ = 0;
};

class OptionButton : public Control {
 public:
  using Control::Control;
  bool Value() const { return value_; }
  void setValue(bool value);

 private:
  bool value_ = false;
};

class TextBox : public Control {
 public:
  using Control::Control;
  const std::string& Text() const { return text_; }
  void setText(std::string text);

 private:
  std::string text_;
};

struct ListItem {
  std::string Text;
  std::string Key;
  std::vector<std::string> SubItems;  // SubItems[0] is column 2
  bool Selected = false;
};

struct ColumnHeader {
  std::string Text;
  int Width = 0;  // pixels
};

// A list view in report mode. Indexes are 1-based, as the program counts them.
class ListView : public Control {
 public:
  using Control::Control;
  std::vector<ColumnHeader>& ColumnHeaders() { return columns_; }
  const std::vector<ColumnHeader>& ColumnHeaders() const { return columns_; }
  void setColumnWidth(std::size_t column1, int width);
  int Width() const { return width_; }
  void setWidth(int width) { width_ = width; }  // the view reports its size

  std::int64_t Count() const { return static_cast<std::int64_t>(items_.size()); }
  ListItem& Item(std::int64_t index1) { return items_.at(static_cast<std::size_t>(index1 - 1)); }
  const ListItem& Item(std::int64_t index1) const {
    return items_.at(static_cast<std::size_t>(index1 - 1));
  }
  const std::vector<ListItem>& Items() const { return items_; }
  std::int64_t Add(std::string text, std::string key = {});
  void setSubItem(std::int64_t index1, std::size_t sub1, std::string text);
  void Remove(std::int64_t index1);
  void Clear();
  void setSelected(std::int64_t index1, bool selected);
  // Replaces all items in one change (fast path for long lists).
  void setItems(std::vector<ListItem> items);

  int SortKey() const { return sortKey_; }
  void setSortKey(int key);
  bool Sorted() const { return sorted_; }
  void setSorted(bool sorted);
  bool SortAscending() const { return ascending_; }
  void setSortAscending(bool ascending);

 private:
  std::vector<ColumnHeader> columns_;
  std::vector<ListItem> items_;
  int width_ = 0;
  int sortKey_ = 0;
  bool sorted_ = false;
  bool ascending_ = true;
};

// A multi-select list box. Indexes are 0-based; ListIndex is the current item
// (the one with the focus), -1 when there is none.
class ListBox : public Control {
 public:
  using Control::Control;
  std::int64_t ListCount() const { return static_cast<std::int64_t>(items_.size()); }
  const std::string& List(std::int64_t index) const {
    return items_.at(static_cast<std::size_t>(index));
  }
  const std::vector<std::string>& Items() const { return items_; }
  bool Selected(std::int64_t index) const { return selected_.at(static_cast<std::size_t>(index)); }
  void setSelected(std::int64_t index, bool selected);
  std::int64_t ListIndex() const { return listIndex_; }
  void setListIndex(std::int64_t index);
  void AddItem(std::string item);
  void RemoveItem(std::int64_t index);
  void Clear();
  void setItems(std::vector<std::string> items);
  // Sets the selection of every item in one change (fast path for long
  // lists); a shorter vector leaves the remaining items unselected.
  void setSelection(std::vector<bool> selected);

  // Columns: with headers set, the list shows them, the item's text under
  // the first and its details under the others.
  const std::vector<std::string>& ColumnHeaders() const { return headers_; }
  void setColumnHeaders(std::vector<std::string> headers);
  // The further column texts of an item; empty when it has none.
  const std::vector<std::string>& Details(std::int64_t index) const;
  // Replaces all items and their details in one change.
  void setItems(std::vector<std::string> items, std::vector<std::vector<std::string>> details);

 private:
  std::vector<std::string> items_;
  std::vector<std::vector<std::string>> details_;  // parallel to items_, or shorter
  std::vector<std::string> headers_;
  std::vector<bool> selected_;
  std::int64_t listIndex_ = -1;
};

// The status bar: panels counted from 1, and an optional progress display for
// long work (hidden while its maximum is 0).
class StatusBar : public Control {
 public:
  StatusBar(std::string name, std::size_t panels) : Control(std::move(name)), panels_(panels) {}
  const std::string& PanelText(std::size_t panel1) const { return panels_.at(panel1 - 1); }
  void setPanelText(std::size_t panel1, std::string text);
  std::size_t PanelCount() const { return panels_.size(); }

  std::int64_t ProgressValue() const { return progressValue_; }
  std::int64_t ProgressMax() const { return progressMax_; }
  // What the progress display says; empty: "value of max" (a count of items).
  const std::string& ProgressText() const { return progressText_; }
  void setProgress(std::int64_t value, std::int64_t max, std::string text = {});

 private:
  std::vector<std::string> panels_;
  std::int64_t progressValue_ = 0;
  std::int64_t progressMax_ = 0;
  std::string progressText_;
};

class TabControl : public Control {
 public:
  TabControl(std::string name, std::vector<std::string> tabs)
      : Control(std::move(name)), tabs_(std::move(tabs)) {}
  const std::vector<std::string>& Tabs() const { return tabs_; }
  int Tab() const { return tab_; }
  // Selecting a tab from the program runs no click handler.
  void setTab(int tab);

 private:
  std::vector<std::string> tabs_;
  int tab_ = 0;
};

// A menu item; the view runs onClick when the user chooses it.
class MenuItem : public Control {
 public:
  using Control::Control;
  std::function<void()> onClick;
};

}  // namespace forms
