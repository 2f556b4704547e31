// Copy, paste and clear through the clipboard text of tab-separated cells.
#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>

#include "editfixture.h"
#include "fitcore/limits.h"

using namespace trelvo::test;

class ClipboardTest : public QObject {
  Q_OBJECT

 private slots:
  void copy_data() {
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QList<int>>("range");  // top, left, bottom, right
    QTest::addColumn<QString>("text");
    QTest::newRow("2x3 block with a missing item")
        << QStringList{"a,~,c", "d,e,f"} << QList<int>{0, 0, 1, 2} << "a\t\tc\nd\te\tf";
    QTest::newRow("single empty cell") << QStringList{"~"} << QList<int>{0, 0, 0, 0} << "";
    QTest::newRow("blank stays blank") << QStringList{" ,x"} << QList<int>{0, 0, 0, 1} << " \tx";
    QTest::newRow("formula gives its result")
        << QStringList{"2,=A1*3"} << QList<int>{0, 0, 0, 1} << "2\t6.0";
    QTest::newRow("inner block") << QStringList{"a,b,c", "d,e,f", "g,h,i"} << QList<int>{1, 1, 2, 2}
                                 << "e\tf\nh\ti";
  }
  void copy() {
    QFETCH(QStringList, cells);
    QFETCH(QList<int>, range);
    QFETCH(QString, text);
    CleverTableWidget grid(nullptr, 0, 0, false);  // copy works on a read-only grid
    grid.editable = true;
    fill(grid, cells);
    grid.disable_editing();
    select(grid, range[0], range[1], range[2], range[3]);
    QApplication::clipboard()->setText(QStringLiteral("unchanged"));
    grid.copy_selection();
    QCOMPARE(QApplication::clipboard()->text(), text);
  }

  void copyRefusesSeveralRangesOrNone() {
    CleverTableWidget grid;
    fill(grid, {"a,b", "c,d"});
    QApplication::clipboard()->setText(QStringLiteral("unchanged"));
    grid.clearSelection();
    grid.copy_selection();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("unchanged"));
    grid.setRangeSelected(QTableWidgetSelectionRange(0, 0, 0, 0), true);
    grid.setRangeSelected(QTableWidgetSelectionRange(1, 1, 1, 1), true);
    grid.copy_selection();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("unchanged"));
  }

  void paste_data() {
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("grid");
    QTest::newRow("grows past the end, empty last line dropped")
        << QStringList{"~"} << 0 << 0 << "1\t2\n3\t4\n" << "1,2 / 3,4";
    QTest::newRow("first empty line removed, last kept")
        << QStringList{"x", "x", "x", "x"} << 0 << 0 << "a\n\nb\n" << "a / b /  / x";
    QTest::newRow("empty text writes nothing") << QStringList{"x,y"} << 0 << 0 << "" << "x,y";
    QTest::newRow("empty field clears its cell")
        << QStringList{"~,~,~,~", "~,~,~,~", "o,o,o,o"} << 2 << 1 << "x\t\ty"
        << "~,~,~,~ / ~,~,~,~ / o,x,,y";
    QTest::newRow("short line leaves cells to its right")
        << QStringList{"o,o,o", "o,o,o"} << 0 << 0 << "a\tb\tc\nd" << "a,b,c / d,o,o";
    QTest::newRow("carriage return stays in the last field")
        << QStringList{"~,~"} << 0 << 0 << "a\tb\r\nc" << "a,b\r / c,~";
    QTest::newRow("pasted formula sees the cell it names")
        << QStringList{"5,~"} << 0 << 1 << "=A1*2" << "5,10.0";
    QTest::newRow("anchor inside, block wider than the grid")
        << QStringList{"o,o", "o,o"} << 1 << 1 << "p\tq\tr" << "o,o,~,~ / o,p,q,r";
  }
  void paste() {
    QFETCH(QStringList, cells);
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(QString, clipboard);
    QFETCH(QString, grid);
    CleverTableWidget table;
    fill(table, cells);
    select(table, row, col, row, col);
    QApplication::clipboard()->setText(clipboard);
    QSignalSpy extent(&table, &CleverTableWidget::ContentsChangeSignal);
    table.paste_selection();
    QCOMPARE(dump(table), grid);
    QCOMPARE(extent.count(), 1);
  }

  void pastedCellsCarryNoOldStyle() {
    CleverTableWidget grid;
    fill(grid, {"1"});
    select(grid, 0, 0, 0, 0);
    grid.bold_text(QStringLiteral("Y"))();
    QVERIFY(grid.item(0, 0)->font().bold());
    QApplication::clipboard()->setText(QStringLiteral("2"));
    grid.paste_selection();
    QVERIFY(!grid.item(0, 0)->font().bold());
    QCOMPARE(cellText(grid.item(0, 0)), QStringLiteral("2"));
  }

  void clear() {
    CleverTableWidget grid;
    fill(grid, {"a,b,c", "d,~,f"});
    grid.setRangeSelected(QTableWidgetSelectionRange(0, 0, 1, 1), true);
    grid.setRangeSelected(QTableWidgetSelectionRange(1, 2, 1, 2), true);
    QSignalSpy extent(&grid, &CleverTableWidget::ContentsChangeSignal);
    grid.clear_selection();
    QCOMPARE(dump(grid), QStringLiteral(",,c / ,~,"));
    QCOMPARE(extent.count(), 1);
  }

  void readOnlyGridRefusesPasteAndClear() {
    CleverTableWidget grid;
    fill(grid, {"a,b"});
    grid.disable_editing();
    select(grid, 0, 0, 0, 1);
    QApplication::clipboard()->setText(QStringLiteral("x\ty\nz"));
    QSignalSpy extent(&grid, &CleverTableWidget::ContentsChangeSignal);
    grid.paste_selection();
    grid.clear_selection();
    QCOMPARE(dump(grid), QStringLiteral("a,b"));
    QCOMPARE(extent.count(), 0);
  }

  void pastePastTheGridLimitsIsRefusedWithABox() {
    CleverTableWidget grid;
    fill(grid, {"a,b"});
    select(grid, 0, 1, 0, 1);
    QApplication::clipboard()->setText(QString(trelvo::limits::kMaxCols, QLatin1Char('\t')));
    MessageBoxWatch boxes;
    grid.paste_selection();
    QCOMPARE(dump(grid), QStringLiteral("a,b"));
    QCOMPARE(boxes.boxes(), QStringList{"警告: 粘贴数据超出表格大小上限，无法粘贴"});
    QVERIFY(boxes.failures().isEmpty());
  }

  void copyThenPasteRoundTrips() {
    CleverTableWidget grid;
    fill(grid, {"1,2,~", "3,4,~", "~,~,~"});
    select(grid, 0, 0, 1, 1);
    grid.copy_selection();
    select(grid, 1, 1, 1, 1);
    grid.paste_selection();
    QCOMPARE(dump(grid), QStringLiteral("1,2,~ / 3,1,2 / ~,3,4"));
  }
};

TRELVO_REGISTER_TEST(ClipboardTest)
#include "test_editing_clipboard.moc"
