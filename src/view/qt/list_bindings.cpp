#include "view/qt/list_bindings.h"

#include <QEvent>
#include <QHeaderView>
#include <QItemSelection>
#include <QListView>
#include <QTableView>
#include <QTreeView>

#include "view/qt/control_binding.h"
#include "view/qt/list_models.h"

namespace view_qt {
namespace {

// Runs of selected rows as one selection, so that selecting 100,000 rows is
// one range, not 100,000.
template <typename IsSelected>
QItemSelection selectedRuns(QAbstractItemModel* model, int rows, int lastColumn,
                            IsSelected isSelected) {
  QItemSelection selection;
  int row = 0;
  while (row < rows) {
    if (!isSelected(row)) {
      ++row;
      continue;
    }
    int first = row;
    while (row < rows && isSelected(row)) ++row;
    selection.select(model->index(first, 0), model->index(row - 1, lastColumn));
  }
  return selection;
}

class ListViewBinding : public ControlBinding {
 public:
  ListViewBinding(forms::ListView& list, QTableView* view, std::function<void(int)> onColumnClick)
      : ControlBinding(list, view), list_(list), view_(view) {
    model_ = new ListViewModel(list, this);
    sorter_ = new ListViewSorter(this);
    sorter_->setSourceModel(model_);
    view->setModel(sorter_);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setWordWrap(false);
    view->setShowGrid(false);
    view->setAlternatingRowColors(true);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setHighlightSections(false);
    view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    view->horizontalHeader()->setDefaultSectionSize(140);
    view->horizontalHeader()->setSectionsClickable(bool(onColumnClick));
    if (onColumnClick)
      connect(
          view->horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this, onColumnClick](int logical) { runHandler([&] { onColumnClick(logical + 1); }); });
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
              if (applying_) return;
              writeModel([&] {
                store(selected, true);
                store(deselected, false);
              });
            });
    view->installEventFilter(this);
    sync();
  }

  void reportWidth() {
    int width = view_->width() - 2 * view_->frameWidth();
    writeModel([&] { list_.setWidth(width); });
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == view_ && event->type() == QEvent::Resize && attached()) reportWidth();
    return false;
  }

  void released() override { model_->detach(); }

  void pull() override {
    ControlBinding::pull();
    applying_ = true;
    model_->refreshFromList();
    applySort();
    applyWidths();
    applySelection();
    applying_ = false;
  }

 private:
  void applySort() {
    QHeaderView* header = view_->horizontalHeader();
    if (list_.Sorted()) {
      Qt::SortOrder order = list_.SortAscending() ? Qt::AscendingOrder : Qt::DescendingOrder;
      sorter_->sort(list_.SortKey(), order);
      header->setSortIndicator(list_.SortKey(), order);
      header->setSortIndicatorShown(true);
    } else {
      sorter_->sort(-1);
      header->setSortIndicatorShown(false);
    }
  }

  // Only widths the program changed are applied, so the user's own column
  // sizes survive a reload.
  void applyWidths() {
    const auto& columns = list_.ColumnHeaders();
    applied_.resize(columns.size(), 0);
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (columns[c].Width <= 0 || columns[c].Width == applied_[c]) continue;
      view_->horizontalHeader()->resizeSection(static_cast<int>(c), columns[c].Width);
      applied_[c] = columns[c].Width;
    }
  }

  void applySelection() {
    const auto& items = list_.Items();
    int rows = model_->rowCount();
    int lastColumn = std::max(0, model_->columnCount() - 1);
    QItemSelection source = selectedRuns(model_, rows, lastColumn, [&](int row) {
      return items[static_cast<std::size_t>(row)].Selected;
    });
    view_->selectionModel()->select(sorter_->mapSelectionFromSource(source),
                                    QItemSelectionModel::ClearAndSelect);
  }

  void store(const QItemSelection& selection, bool selected) {
    for (const QItemSelectionRange& range : selection) {
      for (int row = range.top(); row <= range.bottom(); ++row) {
        int source = sorter_->mapToSource(sorter_->index(row, 0)).row();
        if (source >= 0 && source < list_.Count()) list_.setSelected(source + 1, selected);
      }
    }
  }

  forms::ListView& list_;
  QTableView* view_;
  ListViewModel* model_;
  ListViewSorter* sorter_;
  std::vector<int> applied_;
  bool applying_ = false;
};

class ListBoxBinding : public ControlBinding {
 public:
  ListBoxBinding(forms::ListBox& list, QAbstractItemView* view)
      : ControlBinding(list, view), list_(list), view_(view) {
    model_ = new ListBoxModel(list, this);
    view->setModel(model_);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    if (auto* plain = qobject_cast<QListView*>(view)) plain->setUniformItemSizes(true);
    if (auto* tree = qobject_cast<QTreeView*>(view)) {
      // A flat list with columns: no branches, rows of one height.
      tree->setRootIsDecorated(false);
      tree->setUniformRowHeights(true);
      tree->setItemsExpandable(false);
      tree->setAllColumnsShowFocus(true);
    }
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* selection = view->selectionModel();
    connect(selection, &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
              if (applying_) return;
              writeModel([&] {
                store(selected, true);
                store(deselected, false);
              });
            });
    connect(selection, &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
              if (applying_) return;
              writeModel([&] { list_.setListIndex(current.isValid() ? current.row() : -1); });
            });
    sync();
  }

 protected:
  void released() override { model_->detach(); }

  void pull() override {
    ControlBinding::pull();
    applying_ = true;
    model_->refreshFromList();
    int rows = model_->rowCount();
    QItemSelection selection = selectedRuns(model_, rows, model_->columnCount() - 1,
                                            [&](int row) { return list_.Selected(row); });
    auto* model = view_->selectionModel();
    model->select(selection, QItemSelectionModel::ClearAndSelect);
    std::int64_t current = list_.ListIndex();
    model->setCurrentIndex(current >= 0 && current < rows
                               ? model_->index(static_cast<int>(current), 0)
                               : QModelIndex(),
                           QItemSelectionModel::NoUpdate);
    applying_ = false;
  }

 private:
  void store(const QItemSelection& selection, bool selected) {
    for (const QItemSelectionRange& range : selection)
      for (int row = range.top(); row <= range.bottom(); ++row)
        if (row < list_.ListCount()) list_.setSelected(row, selected);
  }

  forms::ListBox& list_;
  QAbstractItemView* view_;
  ListBoxModel* model_;
  bool applying_ = false;
};

}  // namespace

void bindListView(forms::ListView& list, QTableView* widget,
                  std::function<void(int)> onColumnClick) {
  widget->setObjectName(QString::fromStdString(list.Name()));
  new ListViewBinding(list, widget, std::move(onColumnClick));
}

void bindListBox(forms::ListBox& list, QAbstractItemView* widget) {
  widget->setObjectName(QString::fromStdString(list.Name()));
  new ListBoxBinding(list, widget);
}

void reportListWidth(QTableView* widget) {
  for (QObject* child : widget->children())
    if (auto* binding = dynamic_cast<ListViewBinding*>(child); binding && binding->attached())
      binding->reportWidth();
}

}  // namespace view_qt
