// The list bindings: long lists, selection both ways, the column click and
// sorting by the model's sort key.
#include <QHeaderView>
#include <QListView>
#include <QTableView>
#include <QtTest>

#include "view/qt/list_bindings.h"

namespace {

QString cell(QTableView& view, int row, int column) {
  return view.model()->index(row, column).data().toString();
}

}  // namespace

class ListsTest : public QObject {
  Q_OBJECT

 private slots:
  void aHundredThousandRowsAndTheirSelection() {
    forms::ListView list("URLs");
    list.ColumnHeaders() = {{"Title", 0}, {"URL", 0}};
    QTableView view;
    view_qt::bindListView(list, &view);
    std::vector<forms::ListItem> items(100000);
    for (std::size_t i = 0; i < items.size(); ++i) {
      items[i].Text = "site " + std::to_string(i);
      items[i].SubItems = {"http://" + std::to_string(i) + ".example/"};
    }
    items[7].Selected = true;
    list.setItems(std::move(items));
    QTRY_COMPARE(view.model()->rowCount(), 100000);
    QCOMPARE(cell(view, 99999, 1), QString("http://99999.example/"));
    QVERIFY(view.selectionModel()->isRowSelected(7, {}));

    // The user's selection goes into the model.
    view.selectRow(42);
    QVERIFY(list.Item(43).Selected);
    QVERIFY(!list.Item(8).Selected);
    view.selectAll();
    QVERIFY(list.Item(100000).Selected);

    // Rows removed before the view hears of it read as empty, not past the end.
    list.Clear();
    QCOMPARE(cell(view, 5, 0), QString());
    QTRY_COMPARE(view.model()->rowCount(), 0);
  }

  void columnClickGivesThePositionAndTheModelSorts() {
    forms::ListView list("URLs");
    list.ColumnHeaders() = {{"Title", 0}, {"URL", 0}};
    QTableView view;
    std::vector<int> clicked;
    view_qt::bindListView(list, &view, [&](int position) {
      clicked.push_back(position);
      list.setSortKey(position - 1);
      list.setSorted(true);
    });
    list.Add("b", "");
    list.setSubItem(1, 1, "z");
    list.Add("A", "");
    list.setSubItem(2, 1, "y");
    list.Add("c", "");
    list.setSubItem(3, 1, "x");
    QTRY_COMPARE(view.model()->rowCount(), 3);
    QCOMPARE(cell(view, 0, 0), QString("b"));  // unsorted: as added

    view.horizontalHeader()->sectionClicked(1);
    QCOMPARE(clicked, std::vector<int>{2});
    QTRY_COMPARE(cell(view, 0, 1), QString("x"));
    view.horizontalHeader()->sectionClicked(0);
    QTRY_COMPARE(cell(view, 0, 0), QString("A"));  // case does not count
    QCOMPARE(cell(view, 1, 0), QString("b"));

    // Selecting a sorted row selects that item in the model.
    view.selectRow(0);
    QVERIFY(list.Item(2).Selected);
  }

  void listBoxSelectionAndCurrentItem() {
    forms::ListBox list("List1");
    QListView view;
    view_qt::bindListBox(list, &view);
    list.setItems({"a", "b", "c"});
    list.setSelected(2, true);
    QTRY_COMPARE(view.model()->rowCount(), 3);
    QTRY_VERIFY(view.selectionModel()->isSelected(view.model()->index(2, 0)));

    view.selectionModel()->setCurrentIndex(view.model()->index(1, 0),
                                           QItemSelectionModel::ClearAndSelect);
    QCOMPARE(list.ListIndex(), 1);
    QVERIFY(list.Selected(1));
    QVERIFY(!list.Selected(2));
  }
};

QTEST_MAIN(ListsTest)
#include "lists_test.moc"
