// Empty cells, the content extent and its signal, trimming, header
// renumbering and the bulk guard.
#include <QSignalSpy>
#include <QTest>

#include <functional>

#include "fitcore/limits.h"
#include "sheetgrid/clevertablewidget.h"
#include "common/testregistry.h"

using Cells = QList<QPair<QPoint, QString>>;  // (col, row) -> text
using GridChange = std::function<void(CleverTableWidget&)>;
Q_DECLARE_METATYPE(GridChange)

namespace {

void fill(CleverTableWidget& grid, const Cells& cells) {
  for (const auto& [at, text] : cells) grid.set_cell_text(at.y(), at.x(), text);
}

// A header item that counts how often its data is read.
class CountingTitle : public QTableWidgetItem {
 public:
  explicit CountingTitle(const QString& text) : QTableWidgetItem(text) {}
  QVariant data(int role) const override {
    ++reads;
    return QTableWidgetItem::data(role);
  }
  mutable int reads = 0;
};

void check_titles(const CleverTableWidget& grid) {
  for (int c = 0; c < grid.columnCount(); ++c)
    QCOMPARE(cellText(grid.horizontalHeaderItem(c)), CleverTableWidget::num_to_letters(c + 1));
  for (int r = 0; r < grid.rowCount(); ++r)
    QCOMPARE(cellText(grid.verticalHeaderItem(r)), QString::number(r + 1));
}

}  // namespace

class GridExtentTest : public QObject {
  Q_OBJECT

 private slots:
  void emptyCellRule_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("empty");
    QTest::newRow("empty text") << "" << true;
    QTest::newRow("one blank") << " " << true;
    QTest::newRow("two blanks") << "  " << false;
    QTest::newRow("tab") << "\t" << false;
    QTest::newRow("formula error text") << "=Z99" << false;
    QTest::newRow("formula result") << "=1+1" << false;
  }
  void emptyCellRule() {
    QFETCH(QString, text);
    QFETCH(bool, empty);
    CleverTableWidget grid(nullptr, 3, 3);
    grid.set_cell_text(1, 2, text);
    QCOMPARE(grid.row_is_empty(1), empty);
    QCOMPARE(grid.col_is_empty(2), empty);
    QVERIFY(grid.row_is_empty(0));
    QVERIFY(grid.col_is_empty(0));
  }

  void plainItemsCountByTheirText() {
    CleverTableWidget grid(nullptr, 2, 2);
    const QSignalBlocker block(&grid);
    grid.setItem(1, 1, new QTableWidgetItem(QStringLiteral("x")));
    QVERIFY(!grid.row_is_empty(1));
  }

  void extent_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("cols");
    QTest::addColumn<Cells>("cells");
    QTest::addColumn<int>("maxRow");
    QTest::addColumn<int>("maxCol");
    QTest::newRow("no rows, no columns") << 0 << 0 << Cells{} << -1 << -1;
    QTest::newRow("rows but no columns") << 4 << 0 << Cells{} << 0 << -1;
    QTest::newRow("all cells empty") << 6 << 4 << Cells{} << 0 << 0;
    QTest::newRow("only (0, 0)") << 6 << 4 << Cells{{{0, 0}, "a"}} << 0 << 0;
    QTest::newRow("only row 5, column 0") << 6 << 4 << Cells{{{0, 5}, "a"}} << 5 << 0;
    QTest::newRow("only row 0, column 3") << 6 << 4 << Cells{{{3, 0}, "a"}} << 0 << 3;
    QTest::newRow("bounding rectangle") << 6 << 4 << Cells{{{1, 4}, "a"}, {{2, 1}, "b"}} << 4 << 2;
    QTest::newRow("blank cells are empty") << 6 << 4 << Cells{{{3, 5}, " "}, {{1, 1}, "b"}} << 1 << 1;
  }
  void extent() {
    QFETCH(int, rows);
    QFETCH(int, cols);
    QFETCH(Cells, cells);
    QFETCH(int, maxRow);
    QFETCH(int, maxCol);
    CleverTableWidget grid(nullptr, rows, cols);
    fill(grid, cells);
    QSignalSpy spy(&grid, &CleverTableWidget::ContentsChangeSignal);
    QCOMPARE(grid.get_max_content_pos(), std::make_pair(maxRow, maxCol));
    QCOMPARE(grid.max_content_row, maxRow);
    QCOMPARE(grid.max_content_col, maxCol);
    grid._max_content_pos();
    QCOMPARE(spy.count(), 2);  // every recomputation emits, changed or not
    QCOMPARE(spy.at(0), (QList<QVariant>{maxRow, maxCol}));
    QCOMPARE(spy.at(1), spy.at(0));
  }

  void trimming_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("cols");
    QTest::addColumn<Cells>("cells");
    QTest::addColumn<bool>("editable");
    QTest::addColumn<bool>("infinite");
    QTest::addColumn<int>("rowsAfter");
    QTest::addColumn<int>("colsAfter");
    const Cells rows02{{{0, 0}, "a"}, {{0, 2}, "c"}};
    QTest::newRow("interior empty row removed") << 3 << 1 << rows02 << true << false << 2 << 1;
    QTest::newRow("self-extending: nothing") << 3 << 1 << rows02 << true << true << 3 << 1;
    QTest::newRow("read-only: nothing") << 3 << 1 << rows02 << false << false << 3 << 1;
    QTest::newRow("all empty: columns go, rows stay") << 3 << 2 << Cells{} << true << false << 3 << 0;
    QTest::newRow("rows without columns: nothing") << 3 << 0 << Cells{} << true << false << 3 << 0;
    QTest::newRow("columns without rows: nothing") << 0 << 3 << Cells{} << true << false << 0 << 3;
    QTest::newRow("empty first row and column removed")
        << 3 << 3 << Cells{{{1, 1}, "x"}, {{2, 2}, "y"}} << true << false << 2 << 2;
  }
  void trimming() {
    QFETCH(int, rows);
    QFETCH(int, cols);
    QFETCH(Cells, cells);
    QFETCH(bool, editable);
    QFETCH(bool, infinite);
    QFETCH(int, rowsAfter);
    QFETCH(int, colsAfter);
    CleverTableWidget grid(nullptr, rows, cols, true, false, infinite);
    fill(grid, cells);
    if (!editable) grid.disable_editing();
    QSignalSpy spy(&grid, &CleverTableWidget::ContentsChangeSignal);
    grid.clear_empty_space();
    QCOMPARE(grid.rowCount(), rowsAfter);
    QCOMPARE(grid.columnCount(), colsAfter);
    QCOMPARE(spy.count(), 0);  // trimming does not recompute the extent
  }

  // The program's own trimming and column renumbering, which a read-only
  // grid undergoes as well; a self-extending grid is not trimmed.
  void ownTrimmingAndRenumbering_data() {
    QTest::addColumn<bool>("editable");
    QTest::addColumn<bool>("infinite");
    QTest::addColumn<int>("rowsAfter");
    QTest::addColumn<int>("colsAfter");
    QTest::newRow("editable") << true << false << 2 << 1;
    QTest::newRow("read-only") << false << false << 2 << 1;
    QTest::newRow("self-extending, read-only: not trimmed") << false << true << 3 << 3;
  }
  void ownTrimmingAndRenumbering() {
    QFETCH(bool, editable);
    QFETCH(bool, infinite);
    QFETCH(int, rowsAfter);
    QFETCH(int, colsAfter);
    CleverTableWidget grid(nullptr, 3, 3, true, false, infinite);
    fill(grid, {{{1, 0}, "a"}, {{1, 2}, "c"}});
    grid.setHorizontalHeaderItem(0, new QTableWidgetItem(QStringLiteral("x")));
    if (!editable) grid.disable_editing();
    grid.trim_empty_space();
    QCOMPARE(grid.rowCount(), rowsAfter);
    QCOMPARE(grid.columnCount(), colsAfter);
    QCOMPARE(cellText(grid.item(rowsAfter - 1, colsAfter == 1 ? 0 : 1)), QStringLiteral("c"));
    grid.number_header_col();
    for (int c = 0; c < grid.columnCount(); ++c)
      QCOMPARE(cellText(grid.horizontalHeaderItem(c)), CleverTableWidget::num_to_letters(c + 1));
    QVERIFY(!grid.verticalHeaderItem(0));
    QCOMPARE(grid.is_editable(), editable);
    QCOMPARE(grid.editTriggers() == QAbstractItemView::NoEditTriggers, !editable);
  }

  void trimmingKeepsOrder() {
    CleverTableWidget grid(nullptr, 3, 1);
    fill(grid, {{{0, 0}, "a"}, {{0, 2}, "c"}});
    grid.clear_empty_row();
    QCOMPARE(cellText(grid.item(1, 0)), QStringLiteral("c"));
  }

  void letters_data() {
    QTest::addColumn<long long>("n");
    QTest::addColumn<QString>("letters");
    QTest::newRow("0") << 0LL << "";
    QTest::newRow("1") << 1LL << "A";
    QTest::newRow("26") << 26LL << "Z";
    QTest::newRow("27") << 27LL << "AA";
    QTest::newRow("52") << 52LL << "AZ";
    QTest::newRow("53") << 53LL << "BA";
    QTest::newRow("702") << 702LL << "ZZ";
    QTest::newRow("703") << 703LL << "AAA";
  }
  void letters() {
    QFETCH(long long, n);
    QFETCH(QString, letters);
    QCOMPARE(CleverTableWidget::num_to_letters(n), letters);
  }

  void renumbering() {
    CleverTableWidget grid(nullptr, 10, 28);
    grid.setHorizontalHeaderItem(0, new QTableWidgetItem(QStringLiteral("x")));
    grid.renumber_header();
    QCOMPARE(cellText(grid.horizontalHeaderItem(0)), QStringLiteral("A"));
    QCOMPARE(cellText(grid.horizontalHeaderItem(25)), QStringLiteral("Z"));
    QCOMPARE(cellText(grid.horizontalHeaderItem(27)), QStringLiteral("AB"));
    QVERIFY(asFormulaCell(grid.horizontalHeaderItem(27)));
    QCOMPARE(cellText(grid.verticalHeaderItem(0)), QStringLiteral("1"));
    QCOMPARE(cellText(grid.verticalHeaderItem(9)), QStringLiteral("10"));
  }

  // Titles are announced with one headerDataChanged per orientation, over
  // the lines whose title changed; a header item keeps its other data.
  void renumberingAnnouncesChangedTitles() {
    CleverTableWidget grid(nullptr, 6, 3);
    auto* own = new QTableWidgetItem(QStringLiteral("x"));
    own->setToolTip(QStringLiteral("tip"));
    grid.setVerticalHeaderItem(0, own);
    QSignalSpy spy(grid.model(), &QAbstractItemModel::headerDataChanged);
    grid.renumber_header();
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0), (QVariantList{QVariant::fromValue(Qt::Horizontal), 0, 2}));
    QCOMPARE(spy.at(1), (QVariantList{QVariant::fromValue(Qt::Vertical), 0, 5}));
    QCOMPARE(cellText(grid.verticalHeaderItem(0)), QStringLiteral("1"));
    QCOMPARE(grid.verticalHeaderItem(0)->toolTip(), QStringLiteral("tip"));
    QCOMPARE(grid.model()->headerData(5, Qt::Vertical).toString(), QStringLiteral("6"));

    // Two rows inserted at row 2: titles from row 2 on change, the rest stay.
    spy.clear();
    grid.model()->insertRows(2, 2);
    grid.renumber_header();
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0), (QVariantList{QVariant::fromValue(Qt::Vertical), 2, 7}));
    for (int r = 0; r < grid.rowCount(); ++r) QCOMPARE(cellText(grid.verticalHeaderItem(r)), QString::number(r + 1));

    // Nothing to change: nothing announced.
    spy.clear();
    grid.renumber_header();
    QCOMPARE(spy.count(), 0);
  }

  // Renumbering looks only at the titles a change may have made wrong: the
  // lines from the first one inserted or removed on, lines added at the end,
  // titles set by other code. Afterwards every title is right again.
  void renumberingLooksAtChangedTitlesOnly_data() {
    QTest::addColumn<GridChange>("change");
    QTest::addColumn<int>("firstMoved");  // rows before it keep their place
    QTest::addColumn<int>("retitled");    // a row whose title was changed, or -1
    QTest::newRow("rows appended") << GridChange([](CleverTableWidget& g) { g.setRowCount(45); }) << 40 << -1;
    QTest::newRow("rows inserted") << GridChange([](CleverTableWidget& g) { g.insertRow(25); }) << 25 << -1;
    QTest::newRow("rows removed") << GridChange([](CleverTableWidget& g) { g.model()->removeRows(30, 3); })
                                  << 30 << -1;
    QTest::newRow("last rows removed") << GridChange([](CleverTableWidget& g) { g.setRowCount(38); }) << 38 << -1;
    QTest::newRow("title set by other code")
        << GridChange([](CleverTableWidget& g) { setCellText(g.verticalHeaderItem(7), QStringLiteral("Own")); })
        << 40 << 7;
    QTest::newRow("title item replaced") << GridChange([](CleverTableWidget& g) {
      g.setVerticalHeaderItem(12, new QTableWidgetItem(QStringLiteral("x")));
    }) << 40 << 12;
    QTest::newRow("title set while read-only") << GridChange([](CleverTableWidget& g) {
      g.disable_editing();
      setCellText(g.verticalHeaderItem(3), QStringLiteral("Own"));
      g.insertRow(35);
      g.renumber_header();
      QCOMPARE(cellText(g.verticalHeaderItem(3)), QStringLiteral("Own"));
      g.enable_editing();
    }) << 35 << 3;
    QTest::newRow("columns inserted and removed") << GridChange([](CleverTableWidget& g) {
      g.insertColumn(1);
      g.model()->removeColumns(3, 2);
      g.setColumnCount(30);
    }) << 40 << -1;
    QTest::newRow("columns changed by refilling the rows") << GridChange([](CleverTableWidget& g) {
      g.column_change_rows = 10;
      g._change_columns(0, 2);
      g._change_columns(3, -1);
      g._set_column_count(8);
    }) << 40 << -1;
    QTest::newRow("column title set by other code") << GridChange([](CleverTableWidget& g) {
      setCellText(g.horizontalHeaderItem(2), QStringLiteral("Own"));
      g.setHorizontalHeaderItem(3, new QTableWidgetItem(QStringLiteral("x")));
    }) << 40 << -1;
  }
  void renumberingLooksAtChangedTitlesOnly() {
    QFETCH(GridChange, change);
    QFETCH(int, firstMoved);
    QFETCH(int, retitled);
    CleverTableWidget grid(nullptr, 40, 5);
    QList<CountingTitle*> titles;
    for (int r = 0; r < grid.rowCount(); ++r) {
      titles << new CountingTitle(QString::number(r + 1));
      grid.setVerticalHeaderItem(r, titles.last());
    }
    grid.renumber_header();
    check_titles(grid);
    change(grid);
    // Only the titles that kept their place are still alive for sure.
    const auto reset = [&] {
      for (int r = 0; r < firstMoved; ++r)
        if (r != retitled) titles[r]->reads = 0;
    };
    reset();
    grid.renumber_header();
    for (int r = 0; r < firstMoved; ++r)
      if (r != retitled) QCOMPARE(titles[r]->reads, 0);
    check_titles(grid);
    // Nothing changed since: nothing is read, nothing announced.
    reset();
    QSignalSpy spy(grid.model(), &QAbstractItemModel::headerDataChanged);
    grid.renumber_header();
    QCOMPARE(spy.count(), 0);
    for (int r = 0; r < firstMoved; ++r)
      if (r != retitled) QCOMPARE(titles[r]->reads, 0);
  }

  // Titles set by other code on 65 scattered rows (0, 2, ..., 128) of a
  // 200-row grid: one renumbering rights every one of them.
  void renumberingRightsManyScatteredTitles() {
    CleverTableWidget grid(nullptr, 200, 2);
    grid.renumber_header();
    for (int r = 0; r <= 128; r += 2) setCellText(grid.verticalHeaderItem(r), QStringLiteral("Own"));
    grid.renumber_header();
    check_titles(grid);
  }

  void renumberingReadOnly() {
    CleverTableWidget grid(nullptr, 2, 2, false);
    grid.setHorizontalHeaderItem(0, new QTableWidgetItem(QStringLiteral("x")));
    grid.renumber_header();
    QCOMPARE(grid.horizontalHeaderItem(0)->text(), QStringLiteral("x"));
    QVERIFY(!grid.horizontalHeaderItem(1));
    QVERIFY(!grid.verticalHeaderItem(0));
  }

  void bulkDefersTheExtent() {
    CleverTableWidget grid(nullptr, 2, 2);
    QSignalSpy spy(&grid, &CleverTableWidget::ContentsChangeSignal);
    {
      CleverTableWidget::BulkGuard outer(grid);
      {
        CleverTableWidget::BulkGuard inner(grid);
        for (int i = 0; i < 50; ++i) grid.set_cell_text(i, i % 3, QString::number(i));
        QVERIFY(grid.inBulk());
      }
      QCOMPARE(spy.count(), 0);
      QCOMPARE(grid.get_max_content_pos(), std::make_pair(0, 0));  // stale inside
    }
    QVERIFY(!grid.inBulk());
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0), (QList<QVariant>{49, 2}));
  }

  void bulkWithoutWritesEmitsNothing() {
    CleverTableWidget grid(nullptr, 2, 2);
    QSignalSpy spy(&grid, &CleverTableWidget::ContentsChangeSignal);
    { CleverTableWidget::BulkGuard guard(grid); }
    grid.endBulk();  // unmatched: ignored
    QCOMPARE(spy.count(), 0);
  }

  void setCellTextPlacesBeforeEvaluating() {
    CleverTableWidget grid;
    QVERIFY(grid.set_cell_text(0, 0, QStringLiteral("2")));
    QVERIFY(grid.set_cell_text(3, 1, QStringLiteral("=A1*3")));
    QCOMPARE(grid.rowCount(), 4);
    QCOMPARE(grid.columnCount(), 2);
    QCOMPARE(cellText(grid.item(3, 1)), QStringLiteral("6.0"));
    QVERIFY(!grid.set_cell_text(-1, 0, QStringLiteral("x")));
    QVERIFY(!grid.set_cell_text(0, trelvo::limits::kMaxCols, QStringLiteral("x")));
  }
};

TRELVO_REGISTER_TEST(GridExtentTest)
#include "test_content.moc"
