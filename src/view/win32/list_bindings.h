// Bindings of the list controls, for lists of any length: the list view in
// report mode and the multi-select list box are virtual (the window asks for
// the rows it paints), and a change of the list costs one update of the
// count and of the selection, however many items were added.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "forms/controls.h"
#include "view/win32/control_binding.h"

namespace view_win32 {

class ListViewBinding : public Binding {
 public:
  // onColumnClick receives the clicked header's position, counted from 1.
  ListViewBinding(FormWindow& owner, forms::ListView& list, HWND parent,
                  std::function<void(int)> onColumnClick = {});
  bool onNotify(NMHDR* header, LRESULT& result) override;
  void resized() override;

 protected:
  void pull() override;

 private:
  void applyColumns();
  void applyOrder();
  void applySelection(bool reset);
  void storeSelection(int first, int last);
  const std::string& cell(int row, int column) const;

  forms::ListView& list_;
  std::function<void(int)> onColumnClick_;
  std::vector<std::size_t> order_;   // view row -> item index
  std::vector<char> shownSelected_;  // per view row, as the window holds it
  std::vector<int> appliedWidths_;
  std::wstring cellText_;
  int columns_ = 0;
  bool applying_ = false;
};

class ListBoxBinding : public Binding {
 public:
  ListBoxBinding(FormWindow& owner, forms::ListBox& list, HWND parent);
  bool onCommand(UINT code) override;
  bool onDrawItem(const DRAWITEMSTRUCT& item) override;

 protected:
  void pull() override;

 private:
  forms::ListBox& list_;
  std::vector<char> shownSelected_;
  bool applying_ = false;
};

}  // namespace view_win32
