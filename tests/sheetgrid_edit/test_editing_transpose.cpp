// Transpose of fixed-size, read-only and self-extending grids.
#include <QTest>

#include "editfixture.h"

using namespace trelvo::test;

namespace {

QString headers(const QTableWidget& grid, Qt::Orientation o) {
  QStringList out;
  const int n = o == Qt::Horizontal ? grid.columnCount() : grid.rowCount();
  for (int i = 0; i < n; ++i) {
    const QTableWidgetItem* it =
        o == Qt::Horizontal ? grid.horizontalHeaderItem(i) : grid.verticalHeaderItem(i);
    out << (it ? it->text() : QStringLiteral("~"));
  }
  return out.join(QLatin1Char(','));
}

}  // namespace

class TransposeTest : public QObject {
  Q_OBJECT

 private slots:
  void transpose_data() {
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<bool>("editable");
    QTest::addColumn<QString>("grid");
    QTest::newRow("1x1 keeps its cell") << QStringList{"v"} << true << "v";
    QTest::newRow("2x5 becomes 5x2")
        << QStringList{"a,b,c,d,e", "f,g,h,i,j"} << true << "a,f / b,g / c,h / d,i / e,j";
    QTest::newRow("empty lines trimmed before and after")
        << QStringList{"a,~,b", "~,~,~", "c,~,d"} << true << "a,c / b,d";
    QTest::newRow("read-only: untrimmed first, trimmed after")
        << QStringList{"a,~,b", "~,~,~"} << false << "a / b";
    QTest::newRow("cells without items stay without")
        << QStringList{"a,~", "b,c"} << true << "a,b / ~,c";
  }
  void transpose() {
    QFETCH(QStringList, cells);
    QFETCH(bool, editable);
    QFETCH(QString, grid);
    CleverTableWidget table;
    fill(table, cells);
    if (!editable) table.disable_editing();
    // A read-only grid is trimmed without being made editable meanwhile.
    QList<bool> editableWhileTrimming;
    const auto record = [&] { editableWhileTrimming << table.is_editable(); };
    QObject::connect(table.model(), &QAbstractItemModel::rowsRemoved, record);
    QObject::connect(table.model(), &QAbstractItemModel::columnsRemoved, record);
    MessageBoxWatch boxes;
    table.transpose_table();
    QCOMPARE(dump(table), grid);
    QVERIFY(boxes.boxes().isEmpty());
    QCOMPARE(table.editable, editable);
    QCOMPARE(table.editTriggers() == QAbstractItemView::NoEditTriggers, !editable);
    if (!editable) QVERIFY(!editableWhileTrimming.isEmpty());
    QVERIFY(!editableWhileTrimming.contains(!editable));
  }

  void fixedGridSwapsHeaderItems() {
    CleverTableWidget grid;
    fill(grid, {"1,2,3", "4,5,6"});
    grid.setHorizontalHeaderItem(0, new QTableWidgetItem(QStringLiteral("A")));
    grid.setHorizontalHeaderItem(1, new QTableWidgetItem(QStringLiteral("B")));
    grid.setHorizontalHeaderItem(2, new QTableWidgetItem(QStringLiteral("C")));
    grid.setVerticalHeaderItem(0, new QTableWidgetItem(QStringLiteral("r1")));
    grid.transpose_table();
    QCOMPARE(dump(grid), QStringLiteral("1,4 / 2,5 / 3,6"));
    QCOMPARE(headers(grid, Qt::Vertical), QStringLiteral("A,B,C"));
    QCOMPARE(headers(grid, Qt::Horizontal), QStringLiteral("r1,~"));
  }

  void stylesAndFormulasTravel() {
    CleverTableWidget grid;
    fill(grid, {"2,3,=A1+B1"});
    select(grid, 0, 2, 0, 2);
    grid.align_right();
    grid.transpose_table();
    const CleverTableWidgetItem* moved = asFormulaCell(grid.item(2, 0));
    QVERIFY(moved && moved->is_formula);
    QCOMPARE(moved->rawText(), QStringLiteral("=A1+B1"));
    QCOMPARE(cellText(moved), QStringLiteral("5.0"));
    QCOMPARE(moved->textAlignment(), int(Qt::AlignRight | Qt::AlignVCenter));
  }

  void selfExtendingGridStaysSquareAndRenumbers() {
    CleverTableWidget grid(nullptr, 0, 0, true, true, true);
    fill(grid, {"a,b,c", "d,e,f", "~,~,~", "~,~,~"});
    grid.transpose_table();
    QCOMPARE(grid.rowCount(), 4);
    QCOMPARE(grid.columnCount(), 4);
    QCOMPARE(dump(grid), QStringLiteral("a,d,~,~ / b,e,~,~ / c,f,~,~ / ~,~,~,~"));
    QCOMPARE(headers(grid, Qt::Horizontal), QStringLiteral("A,B,C,D"));
    QCOMPARE(headers(grid, Qt::Vertical), QStringLiteral("1,2,3,4"));
  }

  void squareBeyondTheGridLimitsIsRefused() {
    const int rows = 4473;  // 4473^2 cells exceed the limit
    CleverTableWidget grid(nullptr, rows, 1);
    {
      CleverTableWidget::BulkGuard bulk(grid);
      for (int r = 0; r < rows; ++r) grid.set_cell_text(r, 0, QStringLiteral("v"));
    }
    MessageBoxWatch boxes;
    grid.transpose_table();
    QCOMPARE(grid.rowCount(), rows);
    QCOMPARE(grid.columnCount(), 1);
    QCOMPARE(cellText(grid.item(rows - 1, 0)), QStringLiteral("v"));
    QCOMPARE(boxes.boxes(), QStringList{"警告: 表格过大，无法进行转置操作"});
    QVERIFY(boxes.failures().isEmpty());
  }

  void emptyGridWarns() {
    CleverTableWidget grid;
    fill(grid, {"~,~", "~,~"});
    MessageBoxWatch boxes;
    grid.transpose_table();
    QCOMPARE(boxes.boxes(), QStringList{"警告: 表格为空，无法进行转置操作"});
    QCOMPARE(grid.columnCount(), 0);
  }
};

TRELVO_REGISTER_TEST(TransposeTest)
#include "test_editing_transpose.moc"
