// Moving the selected block one cell in each direction, with the refusals at
// the top and left edges and the growth at the bottom and right edges.
#include <QSignalSpy>
#include <QTest>

#include "editfixture.h"

using namespace trelvo::test;

class MoveTest : public QObject {
  Q_OBJECT

  static void run(CleverTableWidget& grid, const QString& dir) {
    if (dir == QLatin1String("up")) grid.move_up();
    if (dir == QLatin1String("down")) grid.move_down();
    if (dir == QLatin1String("left")) grid.move_left();
    if (dir == QLatin1String("right")) grid.move_right();
  }

 private slots:
  void moves_data() {
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QString>("dir");
    QTest::addColumn<QList<int>>("block");  // top, left, bottom, right
    QTest::addColumn<QString>("grid");
    QTest::addColumn<QList<int>>("selection");  // afterwards
    QTest::addColumn<QString>("warning");
    QTest::newRow("up: 1x1 swaps with the cell above")
        << QStringList{"a,b", "c,d"} << "up" << QList<int>{1, 0, 1, 0} << "c,b / a,d"
        << QList<int>{0, 0, 0, 0} << "";
    QTest::newRow("up: rows 2..4 past X")
        << QStringList{"o", "X", "A", "B", "C"} << "up" << QList<int>{2, 0, 4, 0}
        << "o / A / B / C / X" << QList<int>{1, 0, 3, 0} << "";
    QTest::newRow("up: partly empty row above leaves empty cells below")
        << QStringList{"x,~", "a,b"} << "up" << QList<int>{1, 0, 1, 1} << "a,b / x,"
        << QList<int>{0, 0, 0, 1} << "";
    QTest::newRow("up at row 0 is refused")
        << QStringList{"a,b", "c,d"} << "up" << QList<int>{0, 0, 0, 1} << "a,b / c,d"
        << QList<int>{0, 0, 0, 1} << "警告: 已到达顶部，无法向上移动";
    QTest::newRow("down: block past its neighbour")
        << QStringList{"A", "B", "X", "o"} << "down" << QList<int>{0, 0, 1, 0} << "X / A / B / o"
        << QList<int>{1, 0, 2, 0} << "";
    QTest::newRow("down from the last row appends one row")
        << QStringList{"a,b", "c,d"} << "down" << QList<int>{1, 0, 1, 0} << "a,b / ,d / c,~"
        << QList<int>{2, 0, 2, 0} << "";
    QTest::newRow("left: columns past their neighbour")
        << QStringList{"X,A,B", "Y,C,D"} << "left" << QList<int>{0, 1, 1, 2} << "A,B,X / C,D,Y"
        << QList<int>{0, 0, 1, 1} << "";
    QTest::newRow("left at column 0 is refused")
        << QStringList{"a,b"} << "left" << QList<int>{0, 0, 0, 0} << "a,b"
        << QList<int>{0, 0, 0, 0} << "警告: 已到达最左侧，无法向左移动";
    QTest::newRow("right: 1x1 swaps with the cell right of it")
        << QStringList{"a,b,c"} << "right" << QList<int>{0, 0, 0, 0} << "b,a,c"
        << QList<int>{0, 1, 0, 1} << "";
    QTest::newRow("right from the last column appends one column")
        << QStringList{"a,b", "c,d"} << "right" << QList<int>{0, 0, 1, 1} << ",a,b / ,c,d"
        << QList<int>{0, 1, 1, 2} << "";
  }
  void moves() {
    QFETCH(QStringList, cells);
    QFETCH(QString, dir);
    QFETCH(QList<int>, block);
    QFETCH(QString, grid);
    QFETCH(QList<int>, selection);
    QFETCH(QString, warning);
    CleverTableWidget table;
    fill(table, cells);
    select(table, block[0], block[1], block[2], block[3]);
    QSignalSpy extent(&table, &CleverTableWidget::ContentsChangeSignal);
    MessageBoxWatch boxes;
    run(table, dir);
    QCOMPARE(dump(table), grid);
    QCOMPARE(boxes.boxes(), warning.isEmpty() ? QStringList{} : QStringList{warning});
    QVERIFY(boxes.failures().isEmpty());
    const QList<QTableWidgetSelectionRange> ranges = table.selectedRanges();
    QCOMPARE(ranges.size(), 1);
    QCOMPARE((QList<int>{ranges[0].topRow(), ranges[0].leftColumn(), ranges[0].bottomRow(),
                         ranges[0].rightColumn()}),
             selection);
    if (warning.isEmpty()) QCOMPARE(extent.count(), 1);
  }

  void stylesAndFormulasTravel() {
    CleverTableWidget grid;
    fill(grid, {"4,~", "~,=A1*2"});
    select(grid, 1, 1, 1, 1);
    grid.highlight_background(QStringLiteral("Y"))();
    grid.move_up();
    const CleverTableWidgetItem* moved = asFormulaCell(grid.item(0, 1));
    QVERIFY(moved && moved->is_formula);
    QCOMPARE(moved->rawText(), QStringLiteral("=A1*2"));
    QCOMPARE(cellText(moved), QStringLiteral("8.0"));
    QCOMPARE(moved->background().color(), QColor(255, 255, 0));
  }

  void repeatedUpStopsAtTheTop() {
    CleverTableWidget grid;
    fill(grid, {"~", "~", "v"});
    select(grid, 2, 0, 2, 0);
    MessageBoxWatch boxes;
    grid.move_up();
    grid.move_up();
    QCOMPARE(dump(grid), QStringLiteral("v /  / "));
    QVERIFY(boxes.boxes().isEmpty());
    grid.move_up();
    QCOMPARE(boxes.boxes().size(), 1);
    QCOMPARE(dump(grid), QStringLiteral("v /  / "));
  }

  void refusedWithoutOneRangeOrOnReadOnly() {
    CleverTableWidget grid;
    fill(grid, {"a,b", "c,d"});
    grid.setRangeSelected(QTableWidgetSelectionRange(1, 0, 1, 0), true);
    grid.setRangeSelected(QTableWidgetSelectionRange(1, 1, 1, 1), true);
    grid.move_up();
    QCOMPARE(dump(grid), QStringLiteral("a,b / c,d"));
    select(grid, 1, 0, 1, 0);
    grid.disable_editing();
    grid.move_up();
    grid.move_down();
    QCOMPARE(dump(grid), QStringLiteral("a,b / c,d"));
  }
};

TRELVO_REGISTER_TEST(MoveTest)
#include "test_editing_move.moc"
