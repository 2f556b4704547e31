// Selection queries, the insertion helpers' searches, the list writer and the
// row filter.
#include <QTest>

#include <limits>

#include "editfixture.h"

using namespace trelvo::test;

class QueryTest : public QObject {
  Q_OBJECT

 private slots:
  void lastContent_data() {
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("row");  // _insert_add_row_helper(first, last)
    QTest::addColumn<int>("col");  // _insert_add_col_helper(first, last)
    QStringList tall(10, QStringLiteral("~,~,~"));
    tall[7] = QStringLiteral("~,x,~");
    tall[9] = QStringLiteral("~,~,y");
    QTest::newRow("content outside the band is ignored") << tall << 1 << 1 << 7 << 0;
    QTest::newRow("content only in row 0") << QStringList{"a,b", "~,~"} << 0 << 1 << 0 << 1;
    QTest::newRow("no content") << QStringList{"~,~", ",~"} << 0 << 1 << 0 << 0;
    QTest::newRow("one blank is empty, two are content")
        << QStringList{"~, ,~", "~,~,  "} << 0 << 2 << 1 << 2;
    QTest::newRow("band past the grid") << QStringList{"a"} << 3 << 5 << 0 << 0;
    QTest::newRow("reversed band holds no cells") << QStringList{"a,b", "c,d"} << 1 << 0 << 0 << 0;
    QTest::newRow("band from before the grid to the largest index")
        << QStringList{"a,b", "~,~"} << -2 << std::numeric_limits<int>::max() << 0 << 1;
  }
  void lastContent() {
    QFETCH(QStringList, cells);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(int, row);
    QFETCH(int, col);
    CleverTableWidget grid;
    fill(grid, cells);
    QCOMPARE(grid._insert_add_row_helper(first, last), row);
    QCOMPARE(grid._insert_add_col_helper(first, last), col);
  }

  void filledRowsAndTexts() {
    CleverTableWidget grid;
    fill(grid, {"a,~", "~,b", " ,~", "~,~", "c,d"});
    QCOMPARE(grid.get_first_empty_row_id(), 3);
    QCOMPARE(grid.read_table_context(),
             (QList<QStringList>{{"a", ""}, {"", "b"}, {" ", ""}, {"", ""}, {"c", "d"}}));
    CleverTableWidget no_cols(nullptr, 2, 0);
    QCOMPARE(no_cols.read_table_context(), (QList<QStringList>{{}, {}}));
    CleverTableWidget none;
    QCOMPARE(none.read_table_context(), QList<QStringList>{});
  }

  void rectangularSelection() {
    CleverTableWidget grid;
    fill(grid, {"a,b", "c,d"});
    grid.clearSelection();
    QVERIFY(!grid._judge_rectangular_selected());
    grid.selectAll();
    QVERIFY(grid._judge_rectangular_selected());
    grid.setRangeSelected(QTableWidgetSelectionRange(0, 0, 0, 0), false);
    QVERIFY(!grid._judge_rectangular_selected());
  }

  void listWriter() {
    QTableWidget plain(1, 3);
    CleverTableWidget::write_dim2_list_to_table(
        {{QVariant(2), QVariant(2.5), QVariant()}, {QVariant(QStringLiteral("lost"))}}, &plain);
    QCOMPARE(dump(plain), QStringLiteral("2,2.5,None"));
    QCOMPARE(plain.item(0, 1)->textAlignment(), int(Qt::AlignCenter));
    CleverTableWidget::write_dim2_list_to_table({}, &plain);
    CleverTableWidget::write_dim2_list_to_table({{}}, &plain);
    QCOMPARE(dump(plain), QStringLiteral("2,2.5,None"));

    CleverTableWidget grid(nullptr, 2, 3);
    grid.set_cell_text(1, 1, QStringLiteral("replaced"));
    grid.set_cell_text(1, 2, QStringLiteral("keep"));
    CleverTableWidget::write_dim2_list_to_table(
        {{QVariant(QStringLiteral("4")), QVariant(QStringLiteral("=A1*2"))},
         {QVariant(1.0), QVariant(true)}},
        &grid);
    QCOMPARE(dump(grid), QStringLiteral("4,8.0,~ / 1.0,True,keep"));
  }

  void rowFilter_data() {
    QTest::addColumn<int>("col");
    QTest::addColumn<QStringList>("filter");
    QTest::addColumn<QString>("hidden");
    QTest::newRow("keeps matching texts") << 0 << QStringList{"a", "c"} << "0,1,0,1,1";
    QTest::newRow("empty list hides all") << 0 << QStringList{} << "1,1,1,1,1";
    QTest::newRow("empty text matches an empty item only") << 0 << QStringList{""} << "1,1,1,0,1";
    QTest::newRow("column past the grid") << 7 << QStringList{"a", ""} << "1,1,1,1,1";
    QTest::newRow("formula by its result") << 1 << QStringList{"4"} << "1,1,1,1,0";
  }
  void rowFilter() {
    QFETCH(int, col);
    QFETCH(QStringList, filter);
    QFETCH(QString, hidden);
    CleverTableWidget grid;
    fill(grid, {"a,~", "b,~", "c,~", ",~", "~,=2*2"});
    grid.setRowHidden(1, true);
    grid.filter_operation(col, filter);
    QStringList out;
    for (int r = 0; r < grid.rowCount(); ++r) out << QString::number(int(grid.isRowHidden(r)));
    QString expected = hidden;
    expected[2] = QLatin1Char('1');  // a row hidden before stays hidden
    QCOMPARE(out.join(QLatin1Char(',')), expected);
  }
};

TRELVO_REGISTER_TEST(QueryTest)
#include "test_editing_queries.moc"
