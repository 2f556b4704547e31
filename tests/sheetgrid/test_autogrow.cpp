// Self-extending grid: filling the visible area, growing at the scroll end,
// shedding trailing empty lines unless the selection protects them.
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QMessageBox>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <cstdlib>
#include <functional>

#include "common/logcapture.h"
#include "common/modalguard.h"
#include "fitcore/limits.h"
#include "sheetgrid/clevertablewidget.h"
#include "common/testregistry.h"

Q_DECLARE_METATYPE(std::function<void(CleverTableWidget&)>)

namespace {

int right_edge(const CleverTableWidget& g, int col) {
  return g.columnViewportPosition(col) + g.columnWidth(col);
}
int bottom_edge(const CleverTableWidget& g, int row) {
  return g.rowViewportPosition(row) + g.rowHeight(row);
}

// What the user sees and what the grid does with the pointer agree: both
// headers know every line, the vertical scroll bar spans the rows, the rows
// shown follow its value, and a click lands on the cell drawn under it.
void check_view_agrees(CleverTableWidget& g) {
  QCOMPARE(g.verticalHeader()->count(), g.rowCount());
  QCOMPARE(g.horizontalHeader()->count(), g.columnCount());
  const QScrollBar* bar = g.verticalScrollBar();
  const int h = g.viewport()->height();
  const int per_page = h / g.rowHeight(0);
  QVERIFY2(std::abs(bar->maximum() - (g.rowCount() - per_page)) <= 1,
           qPrintable(QStringLiteral("scroll range %1 for %2 rows").arg(bar->maximum()).arg(g.rowCount())));
  if (bar->value() < bar->maximum())
    QCOMPARE(g.rowAt(0), bar->value());
  else
    QCOMPARE(g.rowAt(h - 1), g.rowCount() - 1);
  const int y = g.rowHeight(0) * 8 + g.rowHeight(0) / 2;
  const int x = g.columnViewportPosition(g.columnAt(0)) + g.columnWidth(g.columnAt(0)) / 2;
  const int row = g.rowAt(y);
  QCOMPARE(g.verticalHeader()->logicalIndexAt(y), row);
  QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, QPoint(x, y));
  QCOMPARE(g.currentRow(), row);
  QCOMPARE(g.currentColumn(), g.columnAt(x));
  QVERIFY(g.viewport()->rect().contains(g.visualRect(g.currentIndex()).center()));
}

}  // namespace

class GridExtendTest : public QObject {
  Q_OBJECT

  // A shown grid of the given size inside `window`.
  static CleverTableWidget* shown_grid(QWidget& window, int rows, int cols, QSize size = {420, 260}) {
    auto* grid = new CleverTableWidget(&window, rows, cols);
    window.resize(size);
    grid->resize(size);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return nullptr;
    return grid;
  }

 private slots:
  // A wide view fills a tall grid only as far as the grid's limits allow;
  // a table or block that fits the limits on its own loads and pastes
  // whatever the view's width, and a later widening stays within them.
  void wideViewStaysWithinLimits_data() {
    QTest::addColumn<bool>("paste");
    QTest::newRow("load") << false;
    QTest::newRow("paste") << true;
  }
  void wideViewStaysWithinLimits() {
    QFETCH(bool, paste);
    constexpr int rows = 1'000'000;
    QByteArray text;
    text.reserve(rows * 4);
    for (int r = 0; r < rows; ++r) text += paste ? "1\t2\n" : "1,2\n";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rows.csv"));
    {
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(text);
    }
    QWidget window;
    CleverTableWidget* grid = shown_grid(window, 0, 0, {2600, 500});
    QVERIFY(grid);
    grid->enable_infinite();
    const int columns = grid->columnCount();
    QVERIFY(columns * qint64(rows) > trelvo::limits::kMaxCells);
    trelvo::test::ModalGuard guard;
    if (paste) {
      QApplication::clipboard()->setText(QString::fromLatin1(text));
      grid->setCurrentCell(0, 0);
      grid->paste_selection();
    } else {
      grid->load_csv(path);
    }
    QCoreApplication::processEvents();
    QCOMPARE(guard.seen(), QStringList());
    QCOMPARE(cellText(grid->item(rows - 1, 1)), QStringLiteral("2"));
    QVERIFY(trelvo::limits::fits_grid(grid->rowCount(), grid->columnCount()));
    // As many columns as the limits allow at this height.
    QCOMPARE(grid->columnCount(), int(trelvo::limits::kMaxCells / grid->rowCount()));
    grid->resize(2800, 500);
    grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
    grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
    QVERIFY(trelvo::limits::fits_grid(grid->rowCount(), grid->columnCount()));
  }

  // A load empties every cell, so a cell the user filled far right (AL1,
  // beyond the 20 columns the limits leave at 10^6 rows) does not refuse a
  // 10^6-row table that fits on its own: its column goes. A paste keeps the
  // cells around it: the same block pasted is refused and AL1 stays.
  void farCellAndTallBlock_data() {
    QTest::addColumn<bool>("paste");
    QTest::newRow("load drops the far column") << false;
    QTest::newRow("paste refused, far cell kept") << true;
  }
  void farCellAndTallBlock() {
    QFETCH(bool, paste);
    constexpr int rows = 1'000'000;
    constexpr int far = 37;  // AL
    QByteArray text;
    text.reserve(rows * 4);
    for (int r = 0; r < rows; ++r) text += paste ? "1\t2\n" : "1,2\n";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rows.csv"));
    {
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(text);
    }
    QWidget window;
    CleverTableWidget* grid = shown_grid(window, 0, 0, {1400, 500});
    QVERIFY(grid);
    grid->enable_infinite();
    QCoreApplication::processEvents();
    // Scrolled right until column AL exists, then 99 typed into AL1.
    QScrollBar* bar = grid->horizontalScrollBar();
    for (int step = 0; step < 100 && grid->columnCount() <= far; ++step) {
      bar->setValue(bar->maximum());
      QCoreApplication::processEvents();
    }
    QVERIFY(grid->columnCount() > far);
    grid->setCurrentCell(0, far);
    grid->set_cell_text(0, far, QStringLiteral("99"));
    if (paste) {
      grid->setCurrentCell(0, 0);  // scrolls back, and the empty column after AL goes
      QCoreApplication::processEvents();
    }
    const int rows_before = grid->rowCount();
    const int columns_before = grid->columnCount();

    QStringList boxes;
    trelvo::test::ModalGuard guard([&boxes](QWidget* w) {
      if (auto* box = qobject_cast<QMessageBox*>(w)) boxes << box->text();
      static_cast<QDialog*>(w)->accept();
    });
    if (paste) {
      QApplication::clipboard()->setText(QString::fromLatin1(text));
      grid->paste_selection();
    } else {
      grid->load_csv(path);
    }
    QCoreApplication::processEvents();
    QVERIFY2(guard.failures().isEmpty(), qPrintable(guard.failures().join("; ")));
    if (paste) {
      QCOMPARE(boxes, QStringList{QStringLiteral("粘贴数据超出表格大小上限，无法粘贴")});
      QCOMPARE(cellText(grid->item(0, far)), QStringLiteral("99"));
      QCOMPARE(grid->rowCount(), rows_before);
      QCOMPARE(grid->columnCount(), columns_before);
      QVERIFY(!grid->item(0, 0));
    } else {
      QCOMPARE(boxes, QStringList());
      QCOMPARE(cellText(grid->item(0, 0)), QStringLiteral("1"));
      QCOMPARE(cellText(grid->item(rows - 1, 1)), QStringLiteral("2"));
      QVERIFY(grid->columnCount() <= far);
      QVERIFY(trelvo::limits::fits_grid(grid->rowCount(), grid->columnCount()));
      QCOMPARE(grid->max_content_col, 1);
    }
  }

  // A tall grid, loaded in a window like the main one, refills its rows for
  // every column change (see _change_columns); the view must come out of
  // each as it went in.
  void viewAgreesAfterColumnChangesOnTallGrid_data() {
    QTest::addColumn<std::function<void(CleverTableWidget&)>>("change");
    using Change = std::function<void(CleverTableWidget&)>;
    QTest::newRow("Ctrl+End") << Change([](CleverTableWidget& g) {
      QTest::keyClick(&g, Qt::Key_End, Qt::ControlModifier);
    });
    QTest::newRow("scrolled to the right end") << Change([](CleverTableWidget& g) {
      g.horizontalScrollBar()->setValue(g.horizontalScrollBar()->maximum());
    });
    QTest::newRow("scrolled back from the right end") << Change([](CleverTableWidget& g) {
      QTest::keyClick(&g, Qt::Key_End, Qt::ControlModifier);
      QCoreApplication::processEvents();
      g.horizontalScrollBar()->setValue(g.horizontalScrollBar()->value() - 1);
    });
    QTest::newRow("Insert Cols Left") << Change([](CleverTableWidget& g) {
      g.setRangeSelected(QTableWidgetSelectionRange(0, 0, g.rowCount() - 1, 0), true);
      g._insert_operations(QStringLiteral("Insert Cols Left"));
    });
    QTest::newRow("Delete Selected Cols") << Change([](CleverTableWidget& g) {
      g.setRangeSelected(QTableWidgetSelectionRange(0, 0, g.rowCount() - 1, 0), true);
      g._delete_operations(QStringLiteral("Delete Selected Cols"));
    });
  }
  void viewAgreesAfterColumnChangesOnTallGrid() {
    QFETCH(std::function<void(CleverTableWidget&)>, change);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rows.csv"));
    constexpr int rows = 3000;
    {
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly));
      for (int r = 0; r < rows; ++r) file.write(QByteArray::number(r) + ',' + QByteArray::number(2 * r) + '\n');
    }
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* grid = new CleverTableWidget(&window, 20, 3);
    layout->addWidget(grid);
    window.resize(700, 760);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (int r = 0; r < 10; ++r) grid->set_cell_text(r, 0, QString::number(r));
    grid->enable_infinite();
    QCoreApplication::processEvents();
    grid->load_csv(path);
    QCOMPARE(cellText(grid->item(rows - 1, 1)), QString::number(2 * (rows - 1)));
    QVERIFY(grid->rowCount() > grid->column_change_rows);
    QTest::qWait(20);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(2, 1)).center());
    QCoreApplication::processEvents();
    QSignalSpy inserted(grid->model(), &QAbstractItemModel::columnsInserted);
    QSignalSpy removed(grid->model(), &QAbstractItemModel::columnsRemoved);
    change(*grid);
    QCoreApplication::processEvents();
    QVERIFY(inserted.count() + removed.count() > 0);
    check_view_agrees(*grid);
  }

  // A resize of a tall grid makes one column change, narrowing as widening:
  // the trailing empty columns beyond the narrowed view leave together (with
  // one debug line each), up to a protected one that stays.
  void resizeMakesOneColumnChange_data() {
    QTest::addColumn<int>("corner");  // a selected range's right column, or -1
    QTest::newRow("nothing protected") << -1;
    QTest::newRow("stops at a selected range's right column") << 18;
  }
  void resizeMakesOneColumnChange() {
    QFETCH(int, corner);
    QWidget window;
    CleverTableWidget* grid = shown_grid(window, 3000, 2, {2600, 500});
    QVERIFY(grid);
    QVERIFY(grid->rowCount() > grid->column_change_rows);
    {
      CleverTableWidget::BulkGuard bulk(*grid);
      for (int r = 0; r < grid->rowCount(); ++r) grid->set_cell_text(r, 0, QString::number(r));
    }
    grid->enable_infinite();
    QCoreApplication::processEvents();
    const int wide = grid->columnCount();
    QVERIFY(wide > 20);
    if (corner >= 0) grid->setCurrentCell(1, corner);
    QSignalSpy inserted(grid->model(), &QAbstractItemModel::columnsInserted);
    QSignalSpy removed(grid->model(), &QAbstractItemModel::columnsRemoved);
    trelvo::test::LogCapture log;
    grid->resize(1400, 500);
    QCoreApplication::processEvents();
    QCOMPARE(inserted.count(), 0);
    QCOMPARE(removed.count(), 1);
    const int w = grid->viewport()->width();
    const int narrow = grid->columnCount();
    if (corner >= 0) {
      QCOMPARE(narrow, corner + 1);
    } else {
      QVERIFY(grid->columnViewportPosition(narrow - 1) <= w);
      QVERIFY(right_edge(*grid, narrow - 1) >= w);
    }
    QStringList lines;
    for (int c = wide - 1; c >= narrow; --c) lines << QStringLiteral("Removed empty column %1 at end").arg(c);
    QCOMPARE(log.startingWith(QStringLiteral("Removed empty column")), lines);
    check_view_agrees(*grid);

    inserted.clear();
    removed.clear();
    grid->resize(2600, 500);
    QCoreApplication::processEvents();
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(removed.count(), 0);
    QCOMPARE(grid->columnCount(), wide);
    check_view_agrees(*grid);
  }

  // A small table loaded into a tall grid that is scrolled or resized while
  // the load runs: the refit as the load ends removes the trailing empty rows
  // that start beyond the view in one row change (not one change per row),
  // stopping where the view reaches, at the table or at a protected row;
  // one debug line per row removed, the last first; the row titles follow.
  void loadIntoTallGridRemovesRowsInOneChange_data() {
    QTest::addColumn<std::function<void(CleverTableWidget&)>>("during");
    QTest::addColumn<QString>("protect");  // "", "corner" (a range's bottom row), "whole"
    QTest::addColumn<bool>("removes");
    using Change = std::function<void(CleverTableWidget&)>;
    const Change top = [](CleverTableWidget& g) { g.verticalScrollBar()->setValue(0); };
    QTest::newRow("scrolled to the top") << top << QString() << true;
    QTest::newRow("scrolled down a page") << Change([](CleverTableWidget& g) {
      g.verticalScrollBar()->setValue(g.verticalScrollBar()->value() + 10);
    }) << QString() << true;
    QTest::newRow("resized taller") << Change([](CleverTableWidget& g) { g.resize(g.size() + QSize(0, 200)); })
                                    << QString() << true;
    QTest::newRow("resized narrower") << Change([](CleverTableWidget& g) { g.resize(g.size() - QSize(100, 0)); })
                                      << QString() << true;
    QTest::newRow("stops at a selected range's bottom row") << top << QStringLiteral("corner") << true;
    QTest::newRow("stops at a row selected whole") << top << QStringLiteral("whole") << true;
    QTest::newRow("scrolled to the end: no row beyond the view") << Change([](CleverTableWidget& g) {
      g.verticalScrollBar()->setValue(g.verticalScrollBar()->maximum());
    }) << QString() << false;
  }
  void loadIntoTallGridRemovesRowsInOneChange() {
    QFETCH(std::function<void(CleverTableWidget&)>, during);
    QFETCH(QString, protect);
    QFETCH(bool, removes);
    constexpr int tall = 3000, small = 4, guarded = 2500;
    QTemporaryDir dir;
    const auto write = [&dir](const QString& name, int rows) {
      const QString path = dir.filePath(name);
      QFile file(path);
      if (!file.open(QIODevice::WriteOnly)) return QString();
      for (int r = 0; r < rows; ++r) file.write(QByteArray::number(r) + ',' + QByteArray::number(-r) + '\n');
      return path;
    };
    const QString tall_path = write(QStringLiteral("tall.csv"), tall);
    const QString small_path = write(QStringLiteral("small.csv"), small);
    QVERIFY(!tall_path.isEmpty() && !small_path.isEmpty());
    QWidget window;
    CleverTableWidget* grid = shown_grid(window, 0, 0, {420, 400});
    QVERIFY(grid);
    grid->enable_infinite();
    grid->load_csv(tall_path);
    QCOMPARE(grid->rowCount(), tall);
    if (protect == "corner") grid->setRangeSelected(QTableWidgetSelectionRange(guarded - 3, 0, guarded, 1), true);
    if (protect == "whole") grid->selectRow(guarded);
    QCoreApplication::processEvents();
    QScrollBar* bar = grid->verticalScrollBar();
    bar->setValue(bar->maximum() / 2);  // looking at the middle of the tall table
    QCoreApplication::processEvents();
    QCOMPARE(grid->rowCount(), tall);

    // Each removal, as it is announced: at the end, every row of it starts
    // beyond the view, and the row before it stays for a reason.
    QStringList wrong;
    connect(grid->model(), &QAbstractItemModel::rowsAboutToBeRemoved, grid,
            [&](const QModelIndex&, int first, int last) {
              const int h = grid->viewport()->height();
              const int before = first - 1;
              const bool reason = grid->rowViewportPosition(before) <= h || !grid->row_is_empty(before) ||
                                  (!protect.isEmpty() && before == guarded);
              if (last != grid->rowCount() - 1 || grid->rowViewportPosition(first) <= h || !reason)
                wrong << QStringLiteral("rows %1-%2 of %3").arg(first).arg(last).arg(grid->rowCount());
            });
    QSignalSpy removed(grid->model(), &QAbstractItemModel::rowsRemoved);
    connect(grid, &QTableWidget::cellChanged, grid, [&] { during(*grid); }, Qt::SingleShotConnection);
    trelvo::test::LogCapture log;
    grid->load_csv(small_path);
    QCOMPARE(removed.count(), removes ? 1 : 0);
    QCOMPARE(wrong, QStringList());
    const int rows = grid->rowCount();
    if (removes) QCOMPARE(removed.first().at(1).toInt(), rows);
    if (!protect.isEmpty()) QCOMPARE(rows, guarded + 1);
    QStringList lines;
    for (int r = tall - 1; r >= rows; --r) lines << QStringLiteral("Removed empty row %1 at end").arg(r);
    QCOMPARE(log.startingWith(QStringLiteral("Removed empty row")), lines);

    // The table and nothing else.
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < grid->columnCount(); ++c) {
        const QString expected = r < small && c < 2 ? QString::number(c == 0 ? r : -r) : QString();
        QCOMPARE(cellText(grid->item(r, c)), expected);
      }
    QCoreApplication::processEvents();
    check_view_agrees(*grid);
    // The titles left are right, and the next row added at the end gets its
    // own (the arrival at the scroll end, whether or not the bar moves).
    grid->_handle_vertical_scroll(bar->maximum());
    QCOMPARE(grid->rowCount(), rows + 1);
    for (int r = std::max(0, rows - 40); r <= rows; ++r)
      QCOMPARE(cellText(grid->verticalHeaderItem(r)), QString::number(r + 1));
  }

  void fillsVisibleAreaFromNothing() {
    QWidget window;
    CleverTableWidget* grid = shown_grid(window, 0, 0);
    QVERIFY(grid);
    // The fill reads the viewport once, before scroll bars may appear.
    const int w = grid->viewport()->width();
    const int h = grid->viewport()->height();
    grid->enable_infinite();
    QVERIFY(grid->is_infinite());
    const int cols = grid->columnCount();
    const int rows = grid->rowCount();
    QVERIFY(cols > 0 && rows > 0);
    QVERIFY(right_edge(*grid, cols - 1) >= w);
    QVERIFY(cols == 1 || right_edge(*grid, cols - 2) < w);
    QVERIFY(bottom_edge(*grid, rows - 1) >= h);
    QVERIFY(rows == 1 || bottom_edge(*grid, rows - 2) < h);
  }

  void scrollEndAddsOneColumnThenBackRemovesIt() {
    QWidget window;
    CleverTableWidget* grid = shown_grid(window, 30, 20);
    QVERIFY(grid);
    // Content at the far corner keeps both scroll bars, so the geometry
    // stays put while lines come and go.
    grid->setItem(29, 19, new CleverTableWidgetItem(QStringLiteral("data")));
    grid->enable_infinite();
    QCoreApplication::processEvents();  // Qt lays the scroll range out lazily
    const int before = grid->columnCount();
    QCOMPARE(before, 20);
    QScrollBar* bar = grid->horizontalScrollBar();
    QVERIFY(bar->maximum() > 1);
    QTest::ignoreMessage(QtDebugMsg, qPrintable(QStringLiteral("Added new column %1 at end").arg(before)));
    bar->setValue(bar->maximum());
    QCOMPARE(grid->columnCount(), before + 1);
    QCoreApplication::processEvents();
    // The scroll change renumbers the column headers, the new one included.
    QCOMPARE(cellText(grid->horizontalHeaderItem(before)), CleverTableWidget::num_to_letters(before + 1));

    QTest::ignoreMessage(QtDebugMsg, qPrintable(QStringLiteral("Removed empty column %1 at end").arg(before)));
    bar->setValue(bar->value() - 1);
    QCOMPARE(grid->columnCount(), before);
  }

  void scrollBackKeepsProtectedColumn() {
    QWidget window;
    CleverTableWidget* grid = shown_grid(window, 30, 20);
    QVERIFY(grid);
    // Content at the far corner keeps both scroll bars, so the geometry
    // stays put while lines come and go.
    grid->setItem(29, 19, new CleverTableWidgetItem(QStringLiteral("data")));
    grid->enable_infinite();
    QCoreApplication::processEvents();
    QScrollBar* bar = grid->horizontalScrollBar();
    bar->setValue(bar->maximum());
    QCoreApplication::processEvents();
    const int count = grid->columnCount();
    QCOMPARE(count, 21);
    grid->setCurrentCell(1, count - 1);  // the last column is a range corner
    grid->clearSelection();              // and stays one after the selection is gone
    bar->setValue(bar->value() - 1);
    QCOMPARE(grid->columnCount(), count);
  }

  void removalRules_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("removed");
    QTest::newRow("empty, unprotected") << "" << true;
    QTest::newRow("blank cell counts as empty") << "blank" << true;
    QTest::newRow("content only in first column") << "content" << false;
    QTest::newRow("bottom row of a selected range") << "corner" << false;
    QTest::newRow("corner kept after the selection is cleared") << "corner-cleared" << false;
    QTest::newRow("selected whole") << "whole" << false;
  }
  void removalRules() {
    QFETCH(QString, setup);
    QFETCH(bool, removed);
    CleverTableWidget grid(nullptr, 6, 4);
    grid.setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid.setCurrentCell(0, 0);
    if (setup == "blank") grid.setItem(5, 2, new CleverTableWidgetItem(QStringLiteral(" ")));
    if (setup == "content") grid.setItem(5, 0, new CleverTableWidgetItem(QStringLiteral("x")));
    if (setup.startsWith("corner")) grid.setRangeSelected(QTableWidgetSelectionRange(2, 1, 5, 1), true);
    if (setup == "corner-cleared") grid.clearSelection();
    if (setup == "whole") {
      grid.clearSelection();
      grid.selectRow(5);
    }
    grid._remove_rows_at_end();
    QCOMPARE(grid.rowCount(), removed ? 5 : 6);
  }

  void fillStopsAtProtectedRow() {
    QWidget window;
    CleverTableWidget* grid = shown_grid(window, 60, 2);
    QVERIFY(grid);
    grid->setCurrentCell(59, 0);  // protects row 59 far below the viewport
    grid->enable_infinite();
    QCOMPARE(grid->rowCount(), 60);
  }

  void fillRemovesTrailingEmptyRowsBeyondView() {
    QWidget window;
    CleverTableWidget* grid = shown_grid(window, 60, 2);
    QVERIFY(grid);
    grid->setItem(0, 0, new CleverTableWidgetItem(QStringLiteral("a")));
    grid->enable_infinite();
    const int h = grid->viewport()->height();
    const int last = grid->rowCount() - 1;
    QVERIFY(last < 59);
    QVERIFY(grid->rowViewportPosition(last) <= h);
  }

  // Inside a bulk a resize does not drop the empty lines a writer has just
  // added; the refit comes once, at the end of the bulk.
  void bulkDefersTheRefit() {
    QWidget window;
    CleverTableWidget* grid = shown_grid(window, 0, 0);
    QVERIFY(grid);
    grid->enable_infinite();
    {
      CleverTableWidget::BulkGuard bulk(*grid);
      grid->setColumnCount(60);
      grid->resize(grid->width() + 40, grid->height());
      QCOMPARE(grid->columnCount(), 60);
      grid->set_cell_text(0, 59, QStringLiteral("last"));
      grid->setColumnCount(80);
    }
    // The refit at the end sheds the trailing empty columns beyond the view,
    // down to the one with content.
    QCOMPARE(grid->columnCount(), 60);
  }

  void readOnlyGridExtendsWithoutRenumbering() {
    QWidget window;
    CleverTableWidget* grid = shown_grid(window, 0, 0);
    QVERIFY(grid);
    grid->disable_editing();
    grid->enable_infinite();
    QVERIFY(grid->columnCount() > 0);
    QVERIFY(!grid->horizontalHeaderItem(0));
    QScrollBar* bar = grid->verticalScrollBar();
    grid->setRowCount(80);
    grid->setItem(79, 0, new CleverTableWidgetItem(QStringLiteral("end")));
    QCoreApplication::processEvents();
    bar->setValue(bar->maximum());
    QCOMPARE(grid->rowCount(), 81);
    QVERIFY(!grid->verticalHeaderItem(0));
  }

  // A refit after any header change leaves every title renumbered, also when
  // an earlier refit found nothing to renumber.
  void refitRenumbersAfterHeaderChanges_data() {
    QTest::addColumn<std::function<void(CleverTableWidget&)>>("change");
    using Change = std::function<void(CleverTableWidget&)>;
    QTest::newRow("column title set") << Change([](CleverTableWidget& g) {
      setCellText(g.horizontalHeaderItem(1), QStringLiteral("Own"));
    });
    QTest::newRow("row title set") << Change([](CleverTableWidget& g) {
      setCellText(g.verticalHeaderItem(2), QStringLiteral("Own"));
    });
    QTest::newRow("row inserted") << Change([](CleverTableWidget& g) { g.insertRow(1); });
    QTest::newRow("column removed") << Change([](CleverTableWidget& g) { g.removeColumn(0); });
    QTest::newRow("column inserted by the grid") << Change([](CleverTableWidget& g) { g._change_columns(0, 1); });
    QTest::newRow("editing switched on") << Change([](CleverTableWidget& g) {
      g.disable_editing();
      g.insertRow(0);
      g.resize(g.size() + QSize(1, 1));
      g.enable_editing();
    });
  }

  void refitRenumbersAfterHeaderChanges() {
    QFETCH(std::function<void(CleverTableWidget&)>, change);
    QWidget window;
    CleverTableWidget* grid = shown_grid(window, 0, 0);
    QVERIFY(grid);
    grid->enable_infinite();
    grid->resize(grid->size() + QSize(0, 2));
    change(*grid);
    grid->resize(grid->size() + QSize(0, 2));
    QVERIFY(grid->rowCount() > 3 && grid->columnCount() > 2);
    // Lines the refit added after renumbering (at the end) have no title yet.
    bool untitled = false;
    for (int c = 0; c < grid->columnCount(); ++c) {
      const QTableWidgetItem* title = grid->horizontalHeaderItem(c);
      QVERIFY(!untitled || !title);
      untitled = !title;
      if (title) QCOMPARE(cellText(title), CleverTableWidget::num_to_letters(c + 1));
    }
    QVERIFY(grid->horizontalHeaderItem(2));
    untitled = false;
    for (int r = 0; r < grid->rowCount(); ++r) {
      const QTableWidgetItem* title = grid->verticalHeaderItem(r);
      QVERIFY(!untitled || !title);
      untitled = !title;
      if (title) QCOMPARE(cellText(title), QString::number(r + 1));
    }
    QVERIFY(grid->verticalHeaderItem(3));
  }

  void disableTrimsInteriorLines() {
    CleverTableWidget grid(nullptr, 4, 4);
    grid.enable_infinite();
    grid.setRowCount(4);
    grid.setColumnCount(4);
    grid.setItem(0, 0, new CleverTableWidgetItem(QStringLiteral("a")));
    grid.setItem(2, 2, new CleverTableWidgetItem(QStringLiteral("b")));
    grid.disable_infinite();
    QVERIFY(!grid.is_infinite());
    QCOMPARE(grid.rowCount(), 2);
    QCOMPARE(grid.columnCount(), 2);
    QCOMPARE(cellText(grid.item(1, 1)), QStringLiteral("b"));
  }

  void resizeFollowsTheFlag_data() {
    QTest::addColumn<bool>("infinite");
    QTest::newRow("not self-extending: counts stay") << false;
    QTest::newRow("recorded self-extension: fills on resize") << true;
  }
  void resizeFollowsTheFlag() {
    QFETCH(bool, infinite);
    QWidget window;
    auto* grid = new CleverTableWidget(&window, 2, 2, true, true, infinite);
    window.resize(200, 150);
    grid->resize(200, 150);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const int cols = grid->columnCount();
    grid->resize(900, 700);
    if (infinite)
      QVERIFY(grid->columnCount() > cols);
    else
      QCOMPARE(grid->columnCount(), 2);
  }

  // Recorded self-extension connects no scroll handler.
  void recordedFlagDoesNotGrowOnScroll() {
    QWidget window;
    auto* grid = new CleverTableWidget(&window, 3, 30, true, true, true);
    window.resize(300, 200);
    grid->resize(300, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const int cols = grid->columnCount();
    grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
    QCOMPARE(grid->columnCount(), cols);
  }

  // Each enable adds one pair of handlers: with two pairs, one arrival at the
  // end runs the handler twice (the second sees the grown range and makes a
  // removal attempt). Disabling more often than enabling raises nothing.
  void handlerConnectionsCount() {
    QWidget window;
    CleverTableWidget* grid = shown_grid(window, 30, 30);
    QVERIFY(grid);
    grid->setItem(29, 29, new CleverTableWidgetItem(QStringLiteral("end")));
    grid->enable_infinite();
    grid->enable_infinite();
    QCoreApplication::processEvents();
    QScrollBar* bar = grid->horizontalScrollBar();
    QCOMPARE(grid->columnCount(), 30);
    QTest::ignoreMessage(QtDebugMsg, "Added new column 30 at end");
    QTest::ignoreMessage(QtDebugMsg, "Removed empty column 30 at end");
    bar->setValue(bar->maximum());
    QCOMPARE(grid->columnCount(), 30);
    grid->disable_infinite();
    grid->disable_infinite();
    grid->disable_infinite();
    QVERIFY(!grid->is_infinite());
    QCOMPARE(grid->columnCount(), 1);  // trimmed to the one column with content
  }
};

TRELVO_REGISTER_TEST(GridExtendTest)
#include "test_autogrow.moc"
