// Selection records, their debug lines, and the order of the two signals.
#include <QSignalSpy>
#include <QTest>

#include "sheetgrid/clevertablewidget.h"
#include "common/testregistry.h"

using Ranges = QList<QTableWidgetSelectionRange>;
using OptList = std::optional<QList<int>>;
Q_DECLARE_METATYPE(OptList)

class GridSelectionTest : public QObject {
  Q_OBJECT

 private slots:
  void records_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("cols");
    QTest::addColumn<Ranges>("ranges");
    QTest::addColumn<OptList>("wholeCols");
    QTest::addColumn<OptList>("wholeRows");
    QTest::addColumn<QList<int>>("cornerCols");
    QTest::addColumn<QList<int>>("cornerRows");
    using R = QTableWidgetSelectionRange;
    QTest::newRow("single cell") << 5 << 3 << Ranges{R(2, 1, 2, 1)} << OptList() << OptList()
                                 << QList<int>{1} << QList<int>{2};
    QTest::newRow("column 1 whole") << 5 << 3 << Ranges{R(0, 1, 4, 1)} << OptList(QList<int>{1})
                                    << OptList() << QList<int>{1} << QList<int>{4};
    QTest::newRow("every cell") << 5 << 3 << Ranges{R(0, 0, 4, 2)} << OptList(QList<int>{0, 1, 2})
                                << OptList(QList<int>{0, 1, 2, 3, 4}) << QList<int>{2}
                                << QList<int>{4};
    QTest::newRow("one-column grid, rows 1-3") << 5 << 1 << Ranges{R(1, 0, 3, 0)} << OptList()
                                               << OptList(QList<int>{1, 2, 3}) << QList<int>{0}
                                               << QList<int>{3};
    QTest::newRow("two ranges over column 2") << 5 << 3 << Ranges{R(0, 2, 2, 2), R(3, 2, 4, 2)}
                                              << OptList() << OptList() << QList<int>{2, 2}
                                              << QList<int>{2, 4};
    // Qt reports overlapping ranges split: column 2 is listed once.
    QTest::newRow("overlapping whole-column ranges")
        << 5 << 4 << Ranges{R(0, 1, 4, 2), R(0, 2, 4, 3)} << OptList(QList<int>{1, 2, 3}) << OptList()
        << QList<int>{1, 3} << QList<int>{4, 4};
  }
  void records() {
    QFETCH(int, rows);
    QFETCH(int, cols);
    QFETCH(Ranges, ranges);
    QFETCH(OptList, wholeCols);
    QFETCH(OptList, wholeRows);
    QFETCH(QList<int>, cornerCols);
    QFETCH(QList<int>, cornerRows);
    CleverTableWidget grid(nullptr, rows, cols);
    grid.setSelectionMode(QAbstractItemView::ExtendedSelection);
    {
      const QSignalBlocker block(&grid);
      for (int i = 0; i + 1 < ranges.size(); ++i) grid.setRangeSelected(ranges.at(i), true);
    }
    grid.setRangeSelected(ranges.last(), true);
    QCOMPARE(grid.whole_cols, wholeCols);
    QCOMPARE(grid.whole_rows, wholeRows);
    QCOMPARE(grid.selected_corner_cols, cornerCols);
    QCOMPARE(grid.selected_corner_rows, cornerRows);
  }

  void debugLines() {
    CleverTableWidget grid(nullptr, 5, 3);
    QTest::ignoreMessage(QtDebugMsg, "Selected whole columns: [1]");
    QTest::ignoreMessage(QtDebugMsg, "Selected whole rows: None");
    QTest::ignoreMessage(QtDebugMsg, "Selected items right down corner: ([1], [4])");
    grid.setRangeSelected(QTableWidgetSelectionRange(0, 1, 4, 1), true);
  }

  void clearingKeepsCorners() {
    CleverTableWidget grid(nullptr, 5, 3);
    grid.setRangeSelected(QTableWidgetSelectionRange(0, 1, 4, 1), true);
    grid.clearSelection();
    QCOMPARE(grid.whole_cols, OptList());
    QCOMPARE(grid.whole_rows, OptList());
    QCOMPARE(grid.selected_corner_cols, QList<int>{1});
    QCOMPARE(grid.selected_corner_rows, QList<int>{4});
  }

  void extentBeforeSelectionSignal() {
    CleverTableWidget grid(nullptr, 5, 3);
    grid.setItem(3, 2, new CleverTableWidgetItem(QStringLiteral("x")));
    QStringList order;
    connect(&grid, &CleverTableWidget::ContentsChangeSignal, this, [&](int r, int c) {
      order << QStringLiteral("contents %1 %2").arg(r).arg(c);
    });
    connect(&grid, &CleverTableWidget::ItemSelectionSignal, this, [&] {
      // The records are up to date when the owner hears of the change.
      QCOMPARE(grid.selected_corner_rows, QList<int>{2});
      order << QStringLiteral("selection");
    });
    grid.setCurrentCell(2, 0);
    QCOMPARE(order, (QStringList{"contents 3 2", "selection"}));
  }
};

TRELVO_REGISTER_TEST(GridSelectionTest)
#include "test_selection.moc"
