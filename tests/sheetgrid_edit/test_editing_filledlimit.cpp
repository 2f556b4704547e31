// Typing, paste, column paste and formula fill keep the grid within the
// filled cells and the text a load places (limits::kMaxFilledCells,
// kMaxTextUnits), so that every grid saved loads again: a change that would
// pass them changes nothing and warns.
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "editfixture.h"
#include "fitcore/limits.h"
#include "sheetgrid/formulaexpander.h"
#include "sheetgrid/io/table.h"

using namespace trelvo::test;

namespace {

constexpr int kRows = 2000;
constexpr int kFilledCols = int(trelvo::limits::kMaxFilledCells / kRows);  // 1000 columns of "1"
constexpr int kEmptyCol = kFilledCols;                                     // and one empty column

const QString kRefused = QStringLiteral("警告: 操作后表格的非空单元格将超过%1个，无法执行该操作")
                             .arg(trelvo::limits::kMaxFilledCells);

}  // namespace

class FilledLimitTest : public QObject {
  Q_OBJECT

  CleverTableWidget* grid = nullptr;

  // Runs `command` (which may open the formula-fill dialog: it is given
  // `formula` and accepted) and gives the boxes it showed.
  QStringList run(const std::function<void()>& command, const QString& formula = QString()) {
    QStringList boxes;
    ModalGuard guard([&](QWidget* w) {
      if (auto* box = qobject_cast<QMessageBox*>(w)) boxes << box->windowTitle() + QStringLiteral(": ") + box->text();
      if (auto* d = qobject_cast<FormulaExpander*>(w)) {
        d->formula_edit->setText(formula);
        d->ok_button->click();
      }
    });
    command();
    if (!guard.failures().isEmpty()) boxes << guard.failures();
    return boxes;
  }

 private slots:
  // The grid holds exactly the limit: kRows x kFilledCols cells of "1".
  void initTestCase() {
    grid = new CleverTableWidget(nullptr, kRows, kFilledCols + 1);
    CleverTableWidget::BulkGuard bulk(*grid);
    for (int r = 0; r < kRows; ++r)
      for (int c = 0; c < kFilledCols; ++c) grid->setItem(r, c, new CleverTableWidgetItem(QStringLiteral("1")));
  }
  void cleanupTestCase() { delete grid; }

  void refused_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QList<int>>("range");  // top, left, bottom, right
    QTest::newRow("paste of one filled cell more") << "paste" << "2\t3" << QList<int>{5, kFilledCols - 1, 5, kFilledCols - 1};
    QTest::newRow("paste into the empty column") << "paste" << "4" << QList<int>{0, kEmptyCol, 0, kEmptyCol};
    QTest::newRow("column paste into the empty column") << "column" << "5 6" << QList<int>{0, kEmptyCol, kRows - 1, kEmptyCol};
    QTest::newRow("formula fill of empty cells") << "fill" << "=1+1" << QList<int>{0, kEmptyCol, 1, kEmptyCol};
  }
  void refused() {
    QFETCH(QString, command);
    QFETCH(QString, clipboard);
    QFETCH(QList<int>, range);
    select(*grid, range[0], range[1], range[2], range[3]);
    QApplication::clipboard()->setText(clipboard);
    const QStringList boxes = run(
        [&] {
          if (command == QLatin1String("paste")) grid->paste_selection();
          if (command == QLatin1String("column")) grid->paste_col();
          if (command == QLatin1String("fill")) grid->expand_formula();
        },
        clipboard);
    QCOMPARE(boxes, QStringList{kRefused});
    QCOMPARE(grid->filled_cell_count(), trelvo::limits::kMaxFilledCells);
    QCOMPARE(grid->columnCount(), kFilledCols + 1);
    QCOMPARE(cellText(grid->item(range[0], range[1])), range[1] == kEmptyCol ? QString() : QStringLiteral("1"));
  }

  // Commands that keep the count at the limit go ahead.
  void withinTheLimit() {
    select(*grid, 0, 0, 0, 0);
    QApplication::clipboard()->setText(QStringLiteral("7\t8"));
    QCOMPARE(run([&] { grid->paste_selection(); }), QStringList());
    QCOMPARE(cellText(grid->item(0, 1)), QStringLiteral("8"));

    select(*grid, 0, 2, kRows - 1, 2);
    QApplication::clipboard()->setText(QString(QStringLiteral("9 ")).repeated(kRows));
    QCOMPARE(run([&] { grid->paste_col(); }), QStringList());
    QCOMPARE(cellText(grid->item(kRows - 1, 2)), QStringLiteral("9.0"));

    select(*grid, 0, 3, 1, 3);
    QCOMPARE(run([&] { grid->expand_formula(); }, QStringLiteral("=2*3")), QStringList());
    QCOMPARE(cellText(grid->item(1, 3)), QStringLiteral("6"));
    QCOMPARE(grid->filled_cell_count(), trelvo::limits::kMaxFilledCells);
  }

  // Typing into the grid at the limit: a new filled cell is refused, a filled
  // cell takes a new text, and one emptied cell makes room for one.
  void typing() {
    QStringList boxes;
    ModalGuard guard([&](QWidget* w) {
      if (auto* box = qobject_cast<QMessageBox*>(w)) boxes << box->windowTitle() + QStringLiteral(": ") + box->text();
    });
    QVERIFY(!grid->write_typed_text(0, kEmptyCol, QStringLiteral("1")));
    QCOMPARE(boxes, QStringList{kRefused});
    QCOMPARE(grid->item(0, kEmptyCol) ? cellText(grid->item(0, kEmptyCol)) : QString(), QString());
    boxes.clear();
    QVERIFY(grid->write_typed_text(1, 0, QStringLiteral("22")));
    QVERIFY(grid->write_typed_text(1, 1, QStringLiteral(" ")));
    QVERIFY(grid->write_typed_text(1, kEmptyCol, QStringLiteral("=2*3")));
    QCOMPARE(cellText(grid->item(1, kEmptyCol)), QStringLiteral("6"));
    QCOMPARE(boxes, QStringList());
    QCOMPARE(grid->filled_cell_count(), trelvo::limits::kMaxFilledCells);
  }
};

// The text the grid holds has its limit too: limits::kMaxTextUnits, summed
// over the cells as a save writes them (a formula's result, not its text).
class TextLimitTest : public QObject {
  Q_OBJECT

 private slots:
  void typing_data() {
    QTest::addColumn<int>("spare");  // units below the limit before the write
    QTest::addColumn<int>("col");    // 0: replaces a full cell's text; 1: an empty cell
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("taken");
    QTest::newRow("new cell at the limit") << 0 << 1 << "7" << false;
    QTest::newRow("new cell just fitting") << 1 << 1 << "7" << true;
    QTest::newRow("longer text at the limit") << 0 << 0 << QString(kLong + 1, u'y') << false;
    QTest::newRow("shorter text at the limit") << 0 << 0 << "short" << true;
    // "=1/3" saves as 0.3333333333333333: 18 units, not 4.
    QTest::newRow("formula whose result does not fit") << 10 << 1 << "=1/3" << false;
    QTest::newRow("formula whose result fits") << 18 << 1 << "=1/3" << true;
  }
  void typing() {
    QFETCH(int, spare);
    QFETCH(int, col);
    QFETCH(QString, text);
    QFETCH(bool, taken);
    constexpr qint64 kCells = trelvo::limits::kMaxTextUnits / kLong;
    static_assert(kCells * kLong == trelvo::limits::kMaxTextUnits);
    CleverTableWidget grid(nullptr, int(kCells), 2);
    const QString full(kLong, u'x');  // one text shared by every cell
    {
      CleverTableWidget::BulkGuard bulk(grid);
      for (int r = 0; r < kCells; ++r) grid.setItem(r, 0, new CleverTableWidgetItem(full));
      grid.setItem(0, 0, new CleverTableWidgetItem(QString(kLong - spare, u'x')));
    }
    QStringList boxes;
    ModalGuard guard([&](QWidget* w) {
      if (auto* box = qobject_cast<QMessageBox*>(w)) boxes << box->text();
    });
    QCOMPARE(grid.write_typed_text(0, col, text), taken);
    if (taken) {
      QCOMPARE(boxes, QStringList());
    } else {
      QCOMPARE(boxes, QStringList{QStringLiteral("操作后表格单元格的文字将超过%1个字符，无法执行该操作")
                                      .arg(trelvo::limits::kMaxTextUnits)});
      QCOMPARE(cellText(grid.item(0, 0)).size(), qsizetype(kLong - spare));
      QCOMPARE(grid.item(0, 1), nullptr);
    }
    QVERIFY(grid.content().units <= trelvo::limits::kMaxTextUnits);
  }

  // Columns removed take their cells out of the grid's count, whichever way
  // they go: a write that fits only in the room they leave is taken, one
  // past that room still refused. The grid holds the limit exactly (the
  // count taken and kept) before two full cells of column 1 go; on a grid
  // taller than column_change_rows the columns change by refilling the rows.
  void removedColumnsLeaveRoom_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("changeRows");
    for (const int rows : {2000, 10}) {
      const char* way = rows == 10 ? ", rows refilled" : "";
      QTest::addRow("delete-columns command%s", way) << "delete" << rows;
      QTest::addRow("column count lowered%s", way) << "count" << rows;
    }
    QTest::newRow("Qt's removeColumn") << "removeColumn" << 2000;
    QTest::newRow("Qt's setColumnCount") << "setColumnCount" << 2000;
  }
  void removedColumnsLeaveRoom() {
    QFETCH(QString, how);
    QFETCH(int, changeRows);
    constexpr int kCells = int(trelvo::limits::kMaxTextUnits / kLong);
    CleverTableWidget grid(nullptr, kCells, 3);
    grid.column_change_rows = changeRows;
    const QString full(kLong, u'x');
    {
      CleverTableWidget::BulkGuard bulk(grid);
      for (int r = 0; r < kCells - 2; ++r) grid.setItem(r, 0, new CleverTableWidgetItem(full));
      for (int r = 0; r < 2; ++r) grid.setItem(r, 1, new CleverTableWidgetItem(full));
    }
    QCOMPARE(grid.content().units, trelvo::limits::kMaxTextUnits);
    QCOMPARE(grid.content().filled, qint64(kCells));

    MessageBoxWatch watch;
    if (how == QLatin1String("delete")) {
      grid.selectColumn(1);
      grid.delete_selection();
    } else if (how == QLatin1String("count")) {
      grid._set_column_count(1);
    } else if (how == QLatin1String("removeColumn")) {
      grid.removeColumn(1);
    } else {
      grid.setColumnCount(1);
    }
    QCOMPARE(watch.boxes(), QStringList());
    QCOMPARE(grid.item(0, 1) ? cellText(grid.item(0, 1)) : QString(), QString());
    QCOMPARE(grid.content().units, trelvo::limits::kMaxTextUnits - 2 * kLong);
    QCOMPARE(grid.content().filled, qint64(kCells - 2));

    QVERIFY(!grid.write_typed_text(0, 1, QString(2 * kLong + 1, u'y')));
    QCOMPARE(watch.boxes(), QStringList{text_refused()});
    QVERIFY(grid.write_typed_text(0, 1, QString(2 * kLong, u'y')));
    QCOMPARE(cellText(grid.item(0, 1)).size(), qsizetype(2 * kLong));
    QCOMPARE(watch.boxes(), QStringList{text_refused()});
    QCOMPARE(grid.content().units, trelvo::limits::kMaxTextUnits);
    QVERIFY(watch.failures().isEmpty());
  }

  // A typed formula counts as the text it places (its result, as a save
  // writes it), not as the room its check set aside before the result was
  // known: after the write the kept count is the cells' count taken afresh,
  // and the next write is measured against what the cells hold.
  void typedFormulaCountsItsResult_data() {
    QTest::addColumn<QString>("before");  // the cell's text before, "" for none
    QTest::addColumn<QString>("formula");
    QTest::newRow("result shorter than the formula") << "" << "=1+1";
    QTest::newRow("result longer than the formula") << "" << "=1/3";
    QTest::newRow("over a filled cell") << "ab" << "=2*3";
    QTest::newRow("error text") << "" << "=Z99";
  }
  void typedFormulaCountsItsResult() {
    QFETCH(QString, before);
    QFETCH(QString, formula);
    constexpr int kCells = int(trelvo::limits::kMaxTextUnits / kLong);
    constexpr int kSpare = 1000;  // far more than the room a short formula is given
    CleverTableWidget grid(nullptr, kCells, 2);
    const QString full(kLong, u'x');
    {
      CleverTableWidget::BulkGuard bulk(grid);
      for (int r = 1; r < kCells; ++r) grid.setItem(r, 0, new CleverTableWidgetItem(full));
      grid.setItem(0, 0, new CleverTableWidgetItem(QString(kLong - kSpare, u'x')));
      if (!before.isEmpty()) grid.setItem(1, 1, new CleverTableWidgetItem(before));
    }
    QCOMPARE(grid.content().units, trelvo::limits::kMaxTextUnits - kSpare + before.size());

    MessageBoxWatch watch;
    QVERIFY(grid.write_typed_text(1, 1, formula));
    QVERIFY(cellText(grid.item(1, 1)) != formula);  // the result is placed
    const CleverTableWidget::Content afresh = count_afresh(grid);
    QCOMPARE(grid.content().units, afresh.units);
    QCOMPARE(grid.content().filled, afresh.filled);

    const qint64 room = trelvo::limits::kMaxTextUnits - afresh.units;
    QVERIFY(!grid.write_typed_text(2, 1, QString(room + 1, u'y')));
    QCOMPARE(watch.boxes(), QStringList{text_refused()});
    QVERIFY(grid.write_typed_text(2, 1, QString(room, u'y')));
    QCOMPARE(watch.boxes(), QStringList{text_refused()});
    QCOMPARE(grid.content().units, trelvo::limits::kMaxTextUnits);
    QCOMPARE(count_afresh(grid).units, trelvo::limits::kMaxTextUnits);
    QVERIFY(watch.failures().isEmpty());
  }

 private:
  static constexpr int kLong = 131'072;

  static QString text_refused() {
    return QStringLiteral("警告: 操作后表格单元格的文字将超过%1个字符，无法执行该操作").arg(trelvo::limits::kMaxTextUnits);
  }

  // What the grid holds, counted cell by cell as a save writes the cells.
  static CleverTableWidget::Content count_afresh(const CleverTableWidget& grid) {
    CleverTableWidget::Content total;
    for (int r = 0; r < grid.rowCount(); ++r)
      for (int c = 0; c < grid.columnCount(); ++c) {
        const QString text = grid.item(r, c) ? cellText(grid.item(r, c)) : QString();
        if (trelvo::io::is_empty_cell_text(text)) continue;
        ++total.filled;
        total.units += text.size();
      }
    return total;
  }
};

TRELVO_REGISTER_TEST(FilledLimitTest)
TRELVO_REGISTER_TEST(TextLimitTest)
#include "test_editing_filledlimit.moc"
