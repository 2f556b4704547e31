// Column insertion and removal on a tall grid (items taken out and put back)
// leaves the grid as Qt's own column insertion and removal do on a short one:
// each operation runs both ways on the same grid and the results are compared.
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "editfixture.h"

using namespace trelvo::test;

namespace {

using Operation = std::function<void(CleverTableWidget&)>;

QString ranges_text(const QList<QTableWidgetSelectionRange>& ranges) {
  QStringList out;
  for (const QTableWidgetSelectionRange& r : ranges)
    out << QStringLiteral("(%1,%2)-(%3,%4)").arg(r.topRow()).arg(r.leftColumn()).arg(r.bottomRow()).arg(r.rightColumn());
  return out.join(QLatin1Char(' '));
}

QString list_text(const std::optional<QList<int>>& values) {
  if (!values) return QStringLiteral("None");
  QStringList out;
  for (int v : *values) out << QString::number(v);
  return out.join(QLatin1Char(','));
}

QString title(const QTableWidgetItem* it) { return it ? cellText(it) : QStringLiteral("~"); }

// Everything of the grid an operation may change, one fact a line.
QStringList run(int change_rows, const QList<int>& block, const QPoint& current, const Operation& operation) {
  CleverTableWidget grid;
  grid.resize(420, 300);
  grid.column_change_rows = change_rows;
  grid.show();
  QStringList cells;
  for (int r = 0; r < 40; ++r) {
    QStringList row;
    for (int c = 0; c < 6; ++c)
      row << (c == 5 ? QStringLiteral("~") : c == 3 && r % 4 == 1 ? QStringLiteral("=A%1*2").arg(r + 1)
                                                                   : QStringLiteral("v%1_%2").arg(r).arg(c));
    cells << row.join(QLatin1Char(','));
  }
  fill(grid, cells);
  grid.renumber_header();
  setCellText(grid.horizontalHeaderItem(2), QStringLiteral("Own"));
  grid.setRowHidden(6, true);
  grid.setRowHeight(3, 41);
  grid.setColumnWidth(1, 77);
  grid.setColumnWidth(4, 55);
  if (!block.isEmpty()) select(grid, block[0], block[1], block[2], block[3]);
  if (current.x() >= 0)
    grid.selectionModel()->setCurrentIndex(grid.model()->index(current.y(), current.x()), QItemSelectionModel::NoUpdate);
  grid.verticalScrollBar()->setValue(5);
  QApplication::processEvents();

  QSignalSpy changed(&grid, &QTableWidget::cellChanged);
  QSignalSpy extent(&grid, &CleverTableWidget::ContentsChangeSignal);
  QSignalSpy rewritten(&grid, &CleverTableWidget::CellsRewrittenSignal);
  QSignalSpy selection(&grid, &QTableWidget::itemSelectionChanged);
  QSignalSpy current_cell(&grid, &QTableWidget::currentCellChanged);
  operation(grid);
  QApplication::processEvents();

  QStringList facts;
  facts << QStringLiteral("size %1 x %2").arg(grid.rowCount()).arg(grid.columnCount());
  facts << QStringLiteral("cells ") + dump(grid);
  for (int r = 0; r < grid.rowCount(); ++r)
    for (int c = 0; c < grid.columnCount(); ++c)
      if (const CleverTableWidgetItem* cell = asFormulaCell(grid.item(r, c)))
        facts << QStringLiteral("cell %1,%2 raw %3 shown %4 formula %5")
                     .arg(r).arg(c).arg(cell->rawText(), cell->displayText().toString())
                     .arg(cell->is_formula);
  QStringList titles;
  for (int c = 0; c < grid.columnCount(); ++c) titles << title(grid.horizontalHeaderItem(c));
  facts << QStringLiteral("column titles ") + titles.join(QLatin1Char(','));
  titles.clear();
  for (int r = 0; r < grid.rowCount(); ++r) titles << title(grid.verticalHeaderItem(r));
  facts << QStringLiteral("row titles ") + titles.join(QLatin1Char(','));
  QStringList widths;
  for (int c = 0; c < grid.columnCount(); ++c) widths << QString::number(grid.columnWidth(c));
  facts << QStringLiteral("widths ") + widths.join(QLatin1Char(','));
  facts << QStringLiteral("row 3 height %1, row 6 hidden %2").arg(grid.rowHeight(3)).arg(grid.isRowHidden(6));
  facts << QStringLiteral("selection ") + ranges_text(grid.selectedRanges());
  facts << QStringLiteral("current %1,%2").arg(grid.currentRow()).arg(grid.currentColumn());
  facts << QStringLiteral("records whole cols %1 whole rows %2 corner cols %3 corner rows %4")
               .arg(list_text(grid.whole_cols), list_text(grid.whole_rows), list_text(grid.selected_corner_cols),
                    list_text(grid.selected_corner_rows));
  facts << QStringLiteral("extent %1,%2").arg(grid.max_content_row).arg(grid.max_content_col);
  facts << QStringLiteral("scroll %1").arg(grid.verticalScrollBar()->value());
  facts << QStringLiteral("signals cellChanged %1 extent %2 rewritten %3 selection %4 current %5")
               .arg(changed.count()).arg(extent.count()).arg(rewritten.count()).arg(selection.count())
               .arg(current_cell.count());
  return facts;
}

}  // namespace

Q_DECLARE_METATYPE(Operation)

class ColumnCountTest : public QObject {
  Q_OBJECT

 private slots:
  void same_as_qt_data() {
    QTest::addColumn<QList<int>>("block");  // top, left, bottom, right; empty: none
    QTest::addColumn<QPoint>("current");    // (column, row); x < 0: none
    QTest::addColumn<Operation>("operation");
    const QList<int> none;
    const QList<int> whole_1_2{0, 1, 39, 2};
    QTest::newRow("append at end") << QList<int>{2, 1, 4, 2} << QPoint(1, 3)
                                   << Operation([](CleverTableWidget& g) { g._add_columns_at_end(); });
    QTest::newRow("remove empty at end, current in it")
        << QList<int>{2, 1, 4, 2} << QPoint(5, 3) << Operation([](CleverTableWidget& g) { g._remove_columns_at_end(); });
    QTest::newRow("Insert Cols Left") << whole_1_2 << QPoint(1, 0) << Operation([](CleverTableWidget& g) {
      g._insert_operations(QStringLiteral("Insert Cols Left"));
    });
    QTest::newRow("Delete Selected Cols") << whole_1_2 << QPoint(2, 0) << Operation([](CleverTableWidget& g) {
      g._delete_operations(QStringLiteral("Delete Selected Cols"));
    });
    QTest::newRow("insert inside a range") << QList<int>{1, 0, 5, 3} << QPoint(2, 2)
                                           << Operation([](CleverTableWidget& g) { g._change_columns(2, 2); });
    QTest::newRow("remove inside a range") << QList<int>{1, 0, 5, 4} << QPoint(2, 2)
                                           << Operation([](CleverTableWidget& g) { g._change_columns(1, -2); });
    QTest::newRow("remove first, current in it")
        << none << QPoint(0, 4) << Operation([](CleverTableWidget& g) { g._change_columns(0, -1); });
    QTest::newRow("remove all") << QList<int>{0, 0, 2, 2} << QPoint(1, 1)
                                << Operation([](CleverTableWidget& g) { g._change_columns(0, -6); });
    QTest::newRow("move right at the last column")
        << QList<int>{1, 5, 2, 5} << QPoint(5, 1) << Operation([](CleverTableWidget& g) { g.move_right(); });
    QTest::newRow("write past the last column")
        << none << QPoint(-1, -1) << Operation([](CleverTableWidget& g) { g.set_cell_text(3, 8, QStringLiteral("x")); });
    QTest::newRow("drop empty columns")
        << none << QPoint(3, 3) << Operation([](CleverTableWidget& g) { g.clear_empty_col(); });
    QTest::newRow("Move Right beyond the content") << QList<int>{0, 3, 1, 4} << QPoint(3, 0)
                                                   << Operation([](CleverTableWidget& g) {
                                                        g._insert_operations(QStringLiteral("Move Right"));
                                                      });
  }

  void same_as_qt() {
    QFETCH(QList<int>, block);
    QFETCH(QPoint, current);
    QFETCH(Operation, operation);
    const QStringList qt_way = run(1 << 30, block, current, operation);
    const QStringList refilled = run(0, block, current, operation);
    QCOMPARE(refilled.size(), qt_way.size());
    for (int i = 0; i < qt_way.size(); ++i) QCOMPARE(refilled[i], qt_way[i]);
  }
};

TRELVO_REGISTER_TEST(ColumnCountTest)
#include "test_editing_columncount.moc"
