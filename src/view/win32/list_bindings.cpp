#include "view/win32/list_bindings.h"

#include <algorithm>
#include <numeric>

#include "view/win32/form_window.h"

namespace view_win32 {
namespace {

const std::string kEmpty;

std::wstring toWide(const std::string& text) {
  int length =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
  if (length > 0)
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
  return wide;
}

bool lessNoCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return CharLowerA(
               reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(static_cast<unsigned char>(x)))) <
           CharLowerA(
               reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(static_cast<unsigned char>(y))));
  });
}

}  // namespace

ListViewBinding::ListViewBinding(FormWindow& owner, forms::ListView& list, HWND parent,
                                 std::function<void(int)> onColumnClick)
    : Binding(owner, list,
              owner.createChild(parent, WC_LISTVIEWA, "",
                                LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_TABSTOP |
                                    (onColumnClick ? 0 : LVS_NOSORTHEADER),
                                WS_EX_CLIENTEDGE)),
      list_(list),
      onColumnClick_(std::move(onColumnClick)) {
  SendMessageA(window(), LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
  sync();
}

void ListViewBinding::resized() {
  if (!attached()) return;
  RECT client{};
  GetClientRect(window(), &client);
  int width = client.right - client.left;
  writeModel([&] { list_.setWidth(width); });
}

void ListViewBinding::pull() {
  Binding::pull();
  applying_ = true;
  applyColumns();
  std::size_t before = order_.size();
  std::vector<std::size_t> previous = order_;
  applyOrder();
  bool reset = order_.size() != before || order_ != previous;
  SendMessageA(window(), LVM_SETITEMCOUNT, order_.size(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
  applySelection(reset);
  InvalidateRect(window(), nullptr, FALSE);
  applying_ = false;
}

void ListViewBinding::applyColumns() {
  const auto& columns = list_.ColumnHeaders();
  for (int c = columns_; c < static_cast<int>(columns.size()); ++c) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = owner().px(140);
    column.pszText = const_cast<char*>(columns[static_cast<std::size_t>(c)].Text.c_str());
    column.iSubItem = c;
    SendMessageA(window(), LVM_INSERTCOLUMNA, static_cast<WPARAM>(c),
                 reinterpret_cast<LPARAM>(&column));
  }
  columns_ = std::max(columns_, static_cast<int>(columns.size()));
  // Only widths the program changed are applied, so the user's own column
  // sizes survive a reload.
  appliedWidths_.resize(columns.size(), 0);
  for (std::size_t c = 0; c < columns.size(); ++c) {
    int width = columns[c].Width;
    if (width <= 0 || width == appliedWidths_[c]) continue;
    SendMessageA(window(), LVM_SETCOLUMNWIDTH, c, width);
    appliedWidths_[c] = width;
  }
  // The sort arrow on the sorting column.
  HWND header = reinterpret_cast<HWND>(SendMessageA(window(), LVM_GETHEADER, 0, 0));
  for (int c = 0; c < columns_; ++c) {
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&item));
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (list_.Sorted() && c == list_.SortKey())
      item.fmt |= list_.SortAscending() ? HDF_SORTUP : HDF_SORTDOWN;
    SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&item));
  }
}

void ListViewBinding::applyOrder() {
  const auto& items = list_.Items();
  order_.resize(items.size());
  std::iota(order_.begin(), order_.end(), std::size_t{0});
  if (!list_.Sorted()) return;
  int key = list_.SortKey();
  auto text = [&](std::size_t index) -> const std::string& {
    const forms::ListItem& item = items[index];
    if (key <= 0) return item.Text;
    auto sub = static_cast<std::size_t>(key - 1);
    return sub < item.SubItems.size() ? item.SubItems[sub] : kEmpty;
  };
  bool ascending = list_.SortAscending();
  std::stable_sort(order_.begin(), order_.end(), [&](std::size_t a, std::size_t b) {
    return ascending ? lessNoCase(text(a), text(b)) : lessNoCase(text(b), text(a));
  });
}

void ListViewBinding::applySelection(bool reset) {
  const auto& items = list_.Items();
  std::size_t rows = order_.size();
  if (reset) {
    LVITEMA none{};
    none.stateMask = LVIS_SELECTED;
    SendMessageA(window(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&none));
    shownSelected_.assign(rows, 0);
  }
  shownSelected_.resize(rows, 0);
  for (std::size_t row = 0; row < rows; ++row) {
    char want = items[order_[row]].Selected ? 1 : 0;
    if (want == shownSelected_[row]) continue;
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED;
    state.state = want ? LVIS_SELECTED : 0;
    SendMessageA(window(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    shownSelected_[row] = want;
  }
}

void ListViewBinding::storeSelection(int first, int last) {
  if (applying_ || !attached()) return;
  int rows = static_cast<int>(order_.size());
  first = std::max(first, 0);
  last = std::min(last, rows - 1);
  writeModel([&] {
    for (int row = first; row <= last; ++row) {
      bool selected =
          SendMessageA(window(), LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) != 0;
      auto index = order_[static_cast<std::size_t>(row)];
      if (static_cast<std::int64_t>(index) < list_.Count())
        list_.setSelected(static_cast<std::int64_t>(index) + 1, selected);
      shownSelected_[static_cast<std::size_t>(row)] = selected ? 1 : 0;
    }
  });
}

const std::string& ListViewBinding::cell(int row, int column) const {
  const auto& items = list_.Items();
  if (row < 0 || static_cast<std::size_t>(row) >= order_.size()) return kEmpty;
  std::size_t index = order_[static_cast<std::size_t>(row)];
  if (index >= items.size()) return kEmpty;
  const forms::ListItem& item = items[index];
  if (column == 0) return item.Text;
  auto sub = static_cast<std::size_t>(column - 1);
  return sub < item.SubItems.size() ? item.SubItems[sub] : kEmpty;
}

bool ListViewBinding::onNotify(NMHDR* header, LRESULT& /*result*/) {
  switch (header->code) {
    case LVN_GETDISPINFOA: {
      auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
      if ((info->item.mask & LVIF_TEXT) && info->item.pszText && info->item.cchTextMax > 0) {
        if (!attached()) {
          info->item.pszText[0] = '\0';
          return true;
        }
        lstrcpynA(info->item.pszText, cell(info->item.iItem, info->item.iSubItem).c_str(),
                  info->item.cchTextMax);
      }
      return true;
    }
    case LVN_GETDISPINFOW: {
      auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
      if ((info->item.mask & LVIF_TEXT) && info->item.pszText && info->item.cchTextMax > 0) {
        cellText_ = attached() ? toWide(cell(info->item.iItem, info->item.iSubItem)) : L"";
        lstrcpynW(info->item.pszText, cellText_.c_str(), info->item.cchTextMax);
      }
      return true;
    }
    case LVN_ITEMCHANGED: {
      auto* change = reinterpret_cast<NMLISTVIEW*>(header);
      if (!(change->uChanged & LVIF_STATE) ||
          !((change->uOldState ^ change->uNewState) & LVIS_SELECTED))
        return true;
      if (change->iItem < 0)
        storeSelection(0, static_cast<int>(order_.size()) - 1);
      else
        storeSelection(change->iItem, change->iItem);
      return true;
    }
    case LVN_ODSTATECHANGED: {
      auto* change = reinterpret_cast<NMLVODSTATECHANGE*>(header);
      storeSelection(change->iFrom, change->iTo);
      return true;
    }
    case LVN_COLUMNCLICK: {
      auto* click = reinterpret_cast<NMLISTVIEW*>(header);
      if (onColumnClick_) {
        int position = click->iSubItem + 1;
        auto onColumnClick = onColumnClick_;
        runHandler([&] { onColumnClick(position); });
      }
      return true;
    }
    default:
      return false;
  }
}

ListBoxBinding::ListBoxBinding(FormWindow& owner, forms::ListBox& list, HWND parent)
    : Binding(owner, list,
              owner.createChild(parent, "LISTBOX", "",
                                LBS_NODATA | LBS_OWNERDRAWFIXED | LBS_EXTENDEDSEL | LBS_NOTIFY |
                                    LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP,
                                WS_EX_CLIENTEDGE)),
      list_(list) {
  SendMessageA(window(), LB_SETITEMHEIGHT, 0, lineHeight(owner.font()) + owner.px(4));
  sync();
}

void ListBoxBinding::pull() {
  Binding::pull();
  applying_ = true;
  auto rows = static_cast<std::size_t>(list_.ListCount());
  bool reset = rows != shownSelected_.size() ||
               static_cast<std::size_t>(SendMessageA(window(), LB_GETCOUNT, 0, 0)) != rows;
  if (reset) {
    SendMessageA(window(), WM_SETREDRAW, FALSE, 0);
    SendMessageA(window(), LB_SETCOUNT, rows, 0);
    SendMessageA(window(), LB_SETSEL, FALSE, -1);
    shownSelected_.assign(rows, 0);
  }
  // Runs of selected items as one range each.
  std::size_t row = 0;
  while (row < rows) {
    char want = list_.Selected(static_cast<std::int64_t>(row)) ? 1 : 0;
    if (want == shownSelected_[row]) {
      ++row;
      continue;
    }
    std::size_t first = row;
    while (row < rows && (list_.Selected(static_cast<std::int64_t>(row)) ? 1 : 0) == want &&
           shownSelected_[row] != want)
      shownSelected_[row++] = want;
    if (want) {
      SendMessageA(window(), LB_SELITEMRANGEEX, first, row - 1);
    } else {
      for (std::size_t i = first; i < row; ++i)
        SendMessageA(window(), LB_SETSEL, FALSE, static_cast<LPARAM>(i));
    }
  }
  std::int64_t current = list_.ListIndex();
  if (current >= 0 && static_cast<std::size_t>(current) < rows)
    SendMessageA(window(), LB_SETCARETINDEX, static_cast<WPARAM>(current), FALSE);
  if (reset) SendMessageA(window(), WM_SETREDRAW, TRUE, 0);
  InvalidateRect(window(), nullptr, TRUE);
  applying_ = false;
}

bool ListBoxBinding::onCommand(UINT code) {
  if (code != LBN_SELCHANGE || applying_ || !attached()) return false;
  auto rows = static_cast<std::size_t>(list_.ListCount());
  std::vector<bool> selected(rows, false);
  auto count = static_cast<int>(SendMessageA(window(), LB_GETSELCOUNT, 0, 0));
  if (count > 0) {
    std::vector<int> indexes(static_cast<std::size_t>(count));
    SendMessageA(window(), LB_GETSELITEMS, static_cast<WPARAM>(count),
                 reinterpret_cast<LPARAM>(indexes.data()));
    for (int index : indexes)
      if (index >= 0 && static_cast<std::size_t>(index) < rows)
        selected[static_cast<std::size_t>(index)] = true;
  }
  shownSelected_.assign(rows, 0);
  for (std::size_t i = 0; i < rows; ++i) shownSelected_[i] = selected[i] ? 1 : 0;
  auto caret = static_cast<std::int64_t>(SendMessageA(window(), LB_GETCARETINDEX, 0, 0));
  writeModel([&] {
    list_.setSelection(std::move(selected));
    list_.setListIndex(caret >= 0 && static_cast<std::size_t>(caret) < rows ? caret : -1);
  });
  return true;
}

bool ListBoxBinding::onDrawItem(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1)) return true;
  HDC dc = item.hDC;
  bool selected = item.itemState & ODS_SELECTED;
  FillRect(dc, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (attached() && static_cast<std::int64_t>(item.itemID) < list_.ListCount()) {
    const std::string& text = list_.List(static_cast<std::int64_t>(item.itemID));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT area = item.rcItem;
    area.left += owner().px(3);
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &item.rcItem);
  return true;
}

}  // namespace view_win32
