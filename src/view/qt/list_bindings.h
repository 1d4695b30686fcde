// Bindings of the list view (report mode) and the multi-select list box.
#pragma once

#include <functional>

#include "forms/controls.h"

class QAbstractItemView;
class QListView;
class QTableView;

namespace view_qt {

// onColumnClick receives the clicked column's position, counted from 1; the
// list is sorted whenever the model says Sorted, by its SortKey.
void bindListView(forms::ListView& list, QTableView* widget,
                  std::function<void(int)> onColumnClick = {});
// The view is a QListView, or a QTreeView that shows the list's columns.
void bindListBox(forms::ListBox& list, QAbstractItemView* widget);

// Writes the list view widget's width into its model, as the window's
// activation handler reads it (also for a page that was never shown).
void reportListWidth(QTableView* widget);

}  // namespace view_qt
