#include "forms/controls.h"

#include <algorithm>
#include <stdexcept>

namespace forms {

void Control::setCaption(std::string caption) {
  caption_ = std::move(caption);
  changed();
}

void Control::setEnabled(bool enabled) {
  enabled_ = enabled;
  changed();
}

void Control::Refresh() {
  if (onRefresh_) onRefresh_();
}

void Control::SetFocus() {
  if (onFocus_) onFocus_();
}

void Control::detachView() {
  onChange_ = nullptr;
  onRefresh_ = nullptr;
  onFocus_ = nullptr;
}

void Control::changed() const {
  if (onChange_) onChange_();
}

void CheckBox::setValue(int value) {
  value_ = value;
  changed();
}

void OptionButton::setValue(bool value) {
  value_ = value;
  changed();
}

void TextBox::setText(std::string text) {
  text_ = std::move(text);
  changed();
}

void ListView::setColumnWidth(std::size_t column1, int width) {
  columns_.at(column1 - 1).Width = width;
  changed();
}

std::int64_t ListView::Add(std::string text, std::string key) {
  ListItem item;
  item.Text = std::move(text);
  item.Key = std::move(key);
  item.SubItems.resize(columns_.empty() ? 0 : columns_.size() - 1);
  items_.push_back(std::move(item));
  changed();
  return Count();
}

void ListView::setSubItem(std::int64_t index1, std::size_t sub1, std::string text) {
  auto& subs = Item(index1).SubItems;
  if (subs.size() < sub1) subs.resize(sub1);
  subs[sub1 - 1] = std::move(text);
  changed();
}

void ListView::Remove(std::int64_t index1) {
  if (index1 < 1 || index1 > Count()) throw std::out_of_range("ListView::Remove");
  items_.erase(items_.begin() + (index1 - 1));
  changed();
}

void ListView::Clear() {
  items_.clear();
  changed();
}

void ListView::setSelected(std::int64_t index1, bool selected) {
  Item(index1).Selected = selected;
  changed();
}

void ListView::setItems(std::vector<ListItem> items) {
  items_ = std::move(items);
  changed();
}

void ListView::setSortKey(int key) {
  sortKey_ = key;
  changed();
}

void ListView::setSorted(bool sorted) {
  sorted_ = sorted;
  changed();
}

void ListView::setSortAscending(bool ascending) {
  ascending_ = ascending;
  changed();
}

void ListBox::setSelected(std::int64_t index, bool selected) {
  selected_.at(static_cast<std::size_t>(index)) = selected;
  changed();
}

void ListBox::setListIndex(std::int64_t index) {
  listIndex_ = (index >= 0 && index < ListCount()) ? index : -1;
  changed();
}

void ListBox::AddItem(std::string item) {
  items_.push_back(std::move(item));
  selected_.push_back(false);
  changed();
}

void ListBox::RemoveItem(std::int64_t index) {
  if (index < 0 || index >= ListCount()) throw std::out_of_range("ListBox::RemoveItem");
  if (index < static_cast<std::int64_t>(details_.size())) details_.erase(details_.begin() + index);
  items_.erase(items_.begin() + index);
  selected_.erase(selected_.begin() + index);
  if (listIndex_ >= ListCount()) listIndex_ = ListCount() - 1;
  changed();
}

void ListBox::Clear() {
  items_.clear();
  details_.clear();
  selected_.clear();
  listIndex_ = -1;
  changed();
}

void ListBox::setItems(std::vector<std::string> items) {
  setItems(std::move(items), {});
}

void ListBox::setItems(std::vector<std::string> items,
                       std::vector<std::vector<std::string>> details) {
  items_ = std::move(items);
  details_ = std::move(details);
  details_.resize(std::min(details_.size(), items_.size()));
  selected_.assign(items_.size(), false);
  listIndex_ = -1;
  changed();
}

void ListBox::setColumnHeaders(std::vector<std::string> headers) {
  headers_ = std::move(headers);
  changed();
}

const std::vector<std::string>& ListBox::Details(std::int64_t index) const {
  static const std::vector<std::string> kNone;
  if (index < 0 || index >= static_cast<std::int64_t>(details_.size())) return kNone;
  return details_[static_cast<std::size_t>(index)];
}

void ListBox::setSelection(std::vector<bool> selected) {
  selected.resize(items_.size(), false);
  selected_ = std::move(selected);
  changed();
}

void StatusBar::setPanelText(std::size_t panel1, std::string text) {
  panels_.at(panel1 - 1) = std::move(text);
  changed();
}

void StatusBar::setProgress(std::int64_t value, std::int64_t max, std::string text) {
  progressValue_ = value;
  progressMax_ = max;
  progressText_ = std::move(text);
  changed();
}

void TabControl::setTab(int tab) {
  if (tab < 0 || tab >= static_cast<int>(tabs_.size()))
    throw std::out_of_range("TabControl::setTab");
  tab_ = tab;
  changed();
}

}  // namespace forms
