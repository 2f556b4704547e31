// Column sort, reverse, paste of numbers and floating numbers up, with texts
// and numbers mixed; the number extraction.
#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

#include "editfixture.h"
#include "fitcore/limits.h"

using namespace trelvo::test;

class ColumnTest : public QObject {
  Q_OBJECT

  static void run(CleverTableWidget& grid, const QString& command) {
    if (command == QLatin1String("ascending")) grid.sort_col_ascending();
    if (command == QLatin1String("descending")) grid.sort_col_descending();
    if (command == QLatin1String("reverse")) grid.reverse_col();
    if (command == QLatin1String("paste")) grid.paste_col();
    if (command == QLatin1String("float")) grid.float_col();
  }

 private slots:
  void commands_data() {
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("grid");
    QTest::addColumn<QString>("warning");
    // Column 0 is the one worked on (its cell (1, 0) selected); column 1 stays.
    const QStringList mixed{"3,k", ",k", "x,k", "~,k", "1,k"};
    QTest::newRow("ascending: numbers first, gaps closed")
        << mixed << "ascending" << "" << "1,k / 3,k / ,k / x,k / ~,k" << "";
    QTest::newRow("descending: non-numbers on top")
        << mixed << "descending" << "" << "x,k / ,k / 3,k / 1,k / ~,k" << "";
    QTest::newRow("reverse") << mixed << "reverse" << "" << "1,k / x,k / ,k / 3,k / ~,k" << "";
    QTest::newRow("ascending: inf with the non-numbers, -inf first, nan last")
        << QStringList{"inf,k", "nan,k", "b,k", "-inf,k", "2,k", "nan,k", "1,k"} << "ascending" << ""
        << "-inf,k / 1,k / 2,k / inf,k / nan,k / b,k / nan,k" << "";
    QTest::newRow("ascending: blanks around a number, equal numbers stable")
        << QStringList{" 2 ,k", "2.0,k", "1e0,k", "+2,k"} << "ascending" << ""
        << "1e0,k /  2 ,k / 2.0,k / +2,k" << "";
    QTest::newRow("float keeps number texts unchanged")
        << QStringList{"a,k", " 2 ,k", "~,k", "1_0,k", "#x,k", "-3e2,k"} << "float" << ""
        << " 2 ,k / 1_0,k / -3e2,k / ,k / ,k / ,k" << "";
    QTest::newRow("float on a column without numbers")
        << QStringList{"a,k", "~,k"} << "float" << "" << ",k / ,k" << "";
    QTest::newRow("float: a formula's value, an error dropped")
        << QStringList{"=2*3,k", "=Z9+1,k", "x,k"} << "float" << "" << "6,k / ,k / ,k" << "";
    QTest::newRow("paste: numbers wherever they stand")
        << QStringList{"o,k", "o,k", "o,k", "o,k", "o,k", "o,k", "o,k", "o,k", "o,k", "o,k"}
        << "paste" << "1,234.5\tx1 y2\n3-4 .5 1e5 1e999"
        << "1.0,k / 234.5,k / 1.0,k / 2.0,k / 3.0,k / -4.0,k / 5.0,k / 100000.0,k / inf,k / ,k" << "";
    QTest::newRow("paste grows the grid")
        << QStringList{"o,k", "o,k"} << "paste" << "1 2 3" << "1.0,k / 2.0,k / 3.0,~" << "";
    QTest::newRow("paste without numbers warns")
        << QStringList{"o,k", "o,k"} << "paste" << "abc" << "o,k / o,k"
        << "警告: 粘贴数据中不包含有效数字字符";
    QTest::newRow("paste of an empty clipboard warns")
        << QStringList{"o,k", "o,k"} << "paste" << "" << "o,k / o,k"
        << "警告: 粘贴数据中不包含有效数字字符";
  }
  void commands() {
    QFETCH(QStringList, cells);
    QFETCH(QString, command);
    QFETCH(QString, clipboard);
    QFETCH(QString, grid);
    QFETCH(QString, warning);
    CleverTableWidget table;
    fill(table, cells);
    select(table, 1, 0, 1, 0);
    QApplication::clipboard()->setText(clipboard);
    QSignalSpy extent(&table, &CleverTableWidget::ContentsChangeSignal);
    MessageBoxWatch boxes;
    run(table, command);
    QCOMPARE(dump(table), grid);
    QCOMPARE(boxes.boxes(), warning.isEmpty() ? QStringList{} : QStringList{warning});
    QCOMPARE(extent.count(), warning.isEmpty() ? 1 : 0);
  }

  void sortMovesTheItemsThemselves() {
    CleverTableWidget grid;
    fill(grid, {"5", "4", "=A1*2"});
    select(grid, 0, 0, 0, 0);
    grid.bold_text(QStringLiteral("Y"))();
    asFormulaCell(grid.item(1, 0))->setFormat(2);
    grid.sort_col_ascending();
    QCOMPARE(dump(grid), QStringLiteral("4 / 5 / 10.0"));
    QVERIFY(grid.item(1, 0)->font().bold());
    QCOMPARE(grid.item(0, 0)->data(Qt::DisplayRole).toString(), QStringLiteral("4.00"));
    const CleverTableWidgetItem* formula = asFormulaCell(grid.item(2, 0));
    QVERIFY(formula->is_formula);
    QCOMPARE(formula->rawText(), QStringLiteral("=A1*2"));
  }

  void severalColumnsAndReadOnly() {
    CleverTableWidget grid;
    fill(grid, {"2,b,9", "1,a,8"});
    grid.setRangeSelected(QTableWidgetSelectionRange(0, 0, 0, 0), true);
    grid.setRangeSelected(QTableWidgetSelectionRange(1, 2, 1, 2), true);
    QCOMPARE(grid.get_selected_columns_list(), (QList<int>{0, 2}));
    MessageBoxWatch boxes;
    grid.paste_col();
    QCOMPARE(boxes.boxes(), QStringList{"警告: 只能选择一列进行粘贴替换操作"});
    grid.sort_col_ascending();
    QCOMPARE(dump(grid), QStringLiteral("1,b,8 / 2,a,9"));
    grid.disable_editing();
    QApplication::clipboard()->setText(QStringLiteral("7"));
    for (const char* c : {"ascending", "descending", "reverse", "paste", "float"})
      run(grid, QString::fromLatin1(c));
    QCOMPARE(dump(grid), QStringLiteral("1,b,8 / 2,a,9"));
    QCOMPARE(boxes.boxes().size(), 1);
  }

  // More numbers than the grid can have rows: refused with a box, nothing
  // written, none dropped.
  void columnPastePastTheRowLimitIsRefusedWithABox() {
    CleverTableWidget grid;
    fill(grid, {"a"});
    select(grid, 0, 0, 0, 0);
    QApplication::clipboard()->setText(QStringLiteral("7\n").repeated(trelvo::limits::kMaxRows + 1));
    MessageBoxWatch boxes;
    grid.paste_col();
    QCOMPARE(grid.rowCount(), 1);
    QCOMPARE(dump(grid), QStringLiteral("a"));
    QCOMPARE(boxes.boxes(), QStringList{"警告: 粘贴数据行数超出表格大小上限，无法替换列"});
    QVERIFY(boxes.failures().isEmpty());
  }

  void noColumnSelected() {
    CleverTableWidget grid;
    fill(grid, {"2", "1"});
    grid.clearSelection();
    QCOMPARE(grid.get_selected_columns_list(), QList<int>{});
    QSignalSpy extent(&grid, &CleverTableWidget::ContentsChangeSignal);
    MessageBoxWatch boxes;
    grid.sort_col_ascending();
    grid.reverse_col();
    grid.float_col();
    QCOMPARE(extent.count(), 0);
    grid.paste_col();
    QCOMPARE(boxes.boxes(), QStringList{"警告: 只能选择一列进行粘贴替换操作"});
  }

  void numbersInText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<double>>("numbers");
    QTest::newRow("grouping comma splits") << "1,234.5" << QList<double>{1, 234.5};
    QTest::newRow("letters between") << "x1 y2" << QList<double>{1, 2};
    QTest::newRow("minus starts a number") << "3-4" << QList<double>{3, -4};
    QTest::newRow("leading point not part of it") << ".5" << QList<double>{5};
    QTest::newRow("trailing point and exponent") << "2. 1e5 -1E-2" << QList<double>{2, 1e5, -0.01};
    QTest::newRow("e without digits") << "7e" << QList<double>{7};
    QTest::newRow("Unicode digits") << QString::fromUtf8("\u0661\u0662 x") << QList<double>{12};
    QTest::newRow("nothing") << "abc" << QList<double>{};
  }
  void numbersInText() {
    QFETCH(QString, text);
    QFETCH(QList<double>, numbers);
    QCOMPARE(CleverTableWidget::filter_string_to_float_list(text), numbers);
  }

  void hugeExponentIsInfinity() {
    const QList<double> v = CleverTableWidget::filter_string_to_float_list(QStringLiteral("1e999 -1e999"));
    QCOMPARE(v.size(), 2);
    QVERIFY(std::isinf(v[0]) && v[0] > 0);
    QVERIFY(std::isinf(v[1]) && v[1] < 0);
  }
};

TRELVO_REGISTER_TEST(ColumnTest)
#include "test_editing_columns.moc"
