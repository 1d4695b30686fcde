// Item models over the list controls' items, for list views of any length:
// the view asks only for the rows it paints, and a change of the list resets
// the model once, however many items were added.
#pragma once

#include <QAbstractListModel>
#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

#include "forms/controls.h"

namespace view_qt {

// The rows of a report-mode list view: column 0 the item's text, column c
// its sub-item c. Every access is checked against the live list, which may
// change before the model is told.
class ListViewModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit ListViewModel(forms::ListView& list, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Text of one cell, "" when out of range.
  const std::string& cell(int row, int column) const;
  // Follows the list: a reset when its shape changed, else a repaint of all rows.
  void refreshFromList();
  void detach();

 private:
  forms::ListView* list_;
  int rows_ = 0;
  int columns_ = 0;
  std::vector<std::string> headers_;
};

// Sorts as the list view's SortKey asks: by the text of one column, without
// regard to case.
class ListViewSorter : public QSortFilterProxyModel {
  Q_OBJECT
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;

 protected:
  bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};

// The items of a list box: one column, or the list's columns when it has
// headers (the item's text, then its details).
class ListBoxModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit ListBoxModel(forms::ListBox& list, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  void refreshFromList();
  void detach();

 private:
  forms::ListBox* list_;
  int rows_ = 0;
  std::vector<std::string> headers_;
};

}  // namespace view_qt
