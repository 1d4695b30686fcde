#include "view/qt/list_models.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace view_qt {
namespace {

const std::string kEmpty;

int clampRows(std::int64_t count) {
  return static_cast<int>(std::min<std::int64_t>(count, std::numeric_limits<int>::max()));
}

bool lessNoCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) <
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

ListViewModel::ListViewModel(forms::ListView& list, QObject* parent)
    : QAbstractTableModel(parent), list_(&list) {
  refreshFromList();
}

int ListViewModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int ListViewModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

const std::string& ListViewModel::cell(int row, int column) const {
  if (!list_ || row < 0 || row >= list_->Count() || column < 0) return kEmpty;
  const forms::ListItem& item = list_->Items()[static_cast<std::size_t>(row)];
  if (column == 0) return item.Text;
  auto sub = static_cast<std::size_t>(column - 1);
  return sub < item.SubItems.size() ? item.SubItems[sub] : kEmpty;
}

QVariant ListViewModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
  return QString::fromStdString(cell(index.row(), index.column()));
}

QVariant ListViewModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= static_cast<int>(headers_.size())) return {};
  return QString::fromStdString(headers_[static_cast<std::size_t>(section)]);
}

void ListViewModel::refreshFromList() {
  std::vector<std::string> headers;
  int rows = 0;
  if (list_) {
    for (const auto& column : list_->ColumnHeaders()) headers.push_back(column.Text);
    rows = clampRows(list_->Count());
  }
  if (rows != rows_ || headers != headers_) {
    beginResetModel();
    rows_ = rows;
    headers_ = std::move(headers);
    columns_ = static_cast<int>(headers_.size());
    endResetModel();
  } else if (rows_ > 0 && columns_ > 0) {
    emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1), {Qt::DisplayRole});
  }
}

void ListViewModel::detach() {
  list_ = nullptr;
  refreshFromList();
}

bool ListViewSorter::lessThan(const QModelIndex& left, const QModelIndex& right) const {
  auto* model = static_cast<const ListViewModel*>(sourceModel());
  return lessNoCase(model->cell(left.row(), left.column()),
                    model->cell(right.row(), right.column()));
}

ListBoxModel::ListBoxModel(forms::ListBox& list, QObject* parent)
    : QAbstractTableModel(parent), list_(&list) {
  refreshFromList();
}

int ListBoxModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int ListBoxModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : std::max(1, static_cast<int>(headers_.size()));
}

QVariant ListBoxModel::data(const QModelIndex& index, int role) const {
  if (!list_ || !index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
  if (index.row() >= list_->ListCount()) return {};
  if (index.column() == 0) return QString::fromStdString(list_->List(index.row()));
  const auto& details = list_->Details(index.row());
  const auto column = static_cast<std::size_t>(index.column() - 1);
  return column < details.size() ? QString::fromStdString(details[column]) : QString();
}

QVariant ListBoxModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= static_cast<int>(headers_.size())) return {};
  return QString::fromStdString(headers_[static_cast<std::size_t>(section)]);
}

void ListBoxModel::refreshFromList() {
  int rows = list_ ? clampRows(list_->ListCount()) : 0;
  std::vector<std::string> headers = list_ ? list_->ColumnHeaders() : std::vector<std::string>{};
  if (rows != rows_ || headers != headers_) {
    beginResetModel();
    rows_ = rows;
    headers_ = std::move(headers);
    endResetModel();
  } else if (rows_ > 0) {
    emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1), {Qt::DisplayRole});
  }
}

void ListBoxModel::detach() {
  list_ = nullptr;
  refreshFromList();
}

}  // namespace view_qt
