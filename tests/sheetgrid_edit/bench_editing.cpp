// Editing commands at size: a paste of 100,000 cells (1,000 lines of 100
// fields) into a small self-extending grid, an ascending sort of a column of
// 100,000 rows holding numbers and texts, one row inserted into and deleted
// from 100,000 rows, and clear, align, highlight and bold on 100,000 cells
// right after a row was inserted or deleted above them. Prints the times;
// exits non-zero when a case exceeds its limit or gives a wrong result.
#include <QApplication>
#include <QClipboard>
#include <QColor>
#include <QElapsedTimer>
#include <QFont>
#include <QLoggingCategory>
#include <QSignalSpy>
#include <QStringList>

#include <cstdio>
#include <functional>
#include <random>

#include "sheetgrid/clevertablewidget.h"

namespace {

bool report(const char* what, qint64 ms, bool right, const QString& extra, qint64 limit_ms = 1000) {
  std::printf("%-52s %7lld ms  (goal < %lld ms) %s%s\n", what, static_cast<long long>(ms),
              static_cast<long long>(limit_ms), qPrintable(extra), right ? "" : "  WRONG RESULT");
  return right && ms < limit_ms;
}

// A shown, editable grid of `rows` rows and `cols` columns, every cell
// holding its row number.
void fill_grid(CleverTableWidget& grid, int rows, int cols) {
  grid.setRowCount(rows);
  grid.setColumnCount(cols);
  grid.resize(800, 600);
  grid.show();
  CleverTableWidget::BulkGuard bulk(grid);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) grid.set_cell_text(r, c, QString::number(r));
  grid.renumber_header();
}

void select_only(CleverTableWidget& grid, const QTableWidgetSelectionRange& range) {
  grid.clearSelection();
  grid.setRangeSelected(range, true);
}

bool bench_line_insert_delete() {
  constexpr int rows = 100000;
  CleverTableWidget grid;
  fill_grid(grid, rows, 2);
  select_only(grid, QTableWidgetSelectionRange(rows / 2, 0, rows / 2, 0));
  QElapsedTimer t;
  t.start();
  grid.insert_whole_base_on_selection(QStringLiteral("R"))();
  qint64 ms = t.elapsed();
  bool right = grid.rowCount() == rows + 1 && !grid.item(rows / 2, 0) &&
               cellText(grid.item(rows / 2 + 1, 0)) == QString::number(rows / 2) &&
               cellText(grid.verticalHeaderItem(rows)) == QString::number(rows + 1);
  bool ok = report("one row inserted into 100,000 rows", ms, right, QString(), 100);
  select_only(grid, QTableWidgetSelectionRange(rows / 2, 0, rows / 2, 1));
  t.start();
  grid._delete_operations(QStringLiteral("Delete Selected Rows"));
  ms = t.elapsed();
  right = grid.rowCount() == rows && cellText(grid.item(rows / 2, 0)) == QString::number(rows / 2) &&
          cellText(grid.verticalHeaderItem(rows - 1)) == QString::number(rows);
  return report("one row deleted from 100,000 rows", ms, right, QString(), 100) && ok;
}

// Clear, align, highlight and bold on the 100,000 cells of one column, right
// after a row was inserted (or deleted) above them.
bool bench_commands_after_move(bool insertion) {
  constexpr int rows = 100000;
  CleverTableWidget grid;
  // Each of the four commands inserts or deletes one more row first.
  fill_grid(grid, insertion ? rows : rows + 4, 1);
  const char* after = insertion ? "insertion" : "deletion";
  const auto move_rows = [&] {
    select_only(grid, QTableWidgetSelectionRange(0, 0, 0, 0));
    if (insertion)
      grid.insert_whole_base_on_selection(QStringLiteral("R"))();
    else
      grid._delete_operations(QStringLiteral("Delete Selected Rows"));
    const int first = insertion ? 1 : 0;
    select_only(grid, QTableWidgetSelectionRange(first, 0, first + rows - 1, 0));
    return first;
  };
  bool ok = true;
  const auto time_command = [&](const char* name, const std::function<void()>& command,
                                const std::function<bool(int)>& check) {
    const int first = move_rows();
    QElapsedTimer t;
    t.start();
    command();
    const qint64 ms = t.elapsed();
    const QString what = QStringLiteral("%1 of 100,000 cells after a row %2").arg(QLatin1String(name), QLatin1String(after));
    ok = report(qPrintable(what), ms, check(first), QString(), 200) && ok;
  };
  const auto last = [&](int first) { return grid.item(first + rows - 1, 0); };
  time_command("align", [&] { grid.align_left(); },
               [&](int first) { return last(first) && last(first)->textAlignment() == int(Qt::AlignLeft | Qt::AlignVCenter); });
  time_command("highlight", [&] { grid.highlight_background(QStringLiteral("Y"))(); },
               [&](int first) { return last(first) && last(first)->background().color() == QColor(255, 255, 0); });
  time_command("bold", [&] { grid.bold_text(QStringLiteral("Y"))(); },
               [&](int first) { return last(first) && last(first)->font().bold(); });
  time_command("clear", [&] { grid.clear_selection(); },
               [&](int first) { return last(first) && cellText(last(first)).isEmpty(); });
  return ok;
}

bool bench_paste() {
  constexpr int rows = 1000, cols = 100;
  QStringList lines;
  for (int r = 0; r < rows; ++r) {
    QStringList fields;
    for (int c = 0; c < cols; ++c) fields << QString::number(r * cols + c);
    lines << fields.join(QLatin1Char('\t'));
  }
  QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
  CleverTableWidget grid;
  grid.resize(800, 600);
  grid.show();
  grid.enable_infinite();
  grid.setRangeSelected(QTableWidgetSelectionRange(0, 0, 0, 0), true);
  QSignalSpy extent(&grid, &CleverTableWidget::ContentsChangeSignal);
  QElapsedTimer t;
  t.start();
  grid.paste_selection();
  const qint64 ms = t.elapsed();
  const bool right = grid.max_content_row == rows - 1 && grid.max_content_col == cols - 1 &&
                     cellText(grid.item(rows - 1, cols - 1)) == QString::number(rows * cols - 1);
  return report("paste of 100,000 cells", ms, right,
                QStringLiteral("(%1 extent signal(s))").arg(extent.count()));
}

bool bench_sort() {
  constexpr int rows = 100000;
  CleverTableWidget grid(nullptr, rows, 1);
  {
    CleverTableWidget::BulkGuard bulk(grid);
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> value(-1e6, 1e6);
    for (int r = 0; r < rows; ++r)
      grid.set_cell_text(r, 0, r % 10 == 0 ? QStringLiteral("text") : QString::number(value(gen)));
  }
  grid.setRangeSelected(QTableWidgetSelectionRange(0, 0, 0, 0), true);
  QSignalSpy extent(&grid, &CleverTableWidget::ContentsChangeSignal);
  QElapsedTimer t;
  t.start();
  grid.sort_col_ascending();
  const qint64 ms = t.elapsed();
  bool right = true;
  double last = -1e300;
  for (int r = 0; r < rows * 9 / 10; ++r) {
    const double v = cellText(grid.item(r, 0)).toDouble();
    right = right && v >= last;
    last = v;
  }
  right = right && cellText(grid.item(rows - 1, 0)) == QLatin1String("text");
  return report("ascending sort of a 100,000-row column", ms, right,
                QStringLiteral("(%1 extent signal(s))").arg(extent.count()));
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen"
                                                                  : qgetenv("QT_QPA_PLATFORM"));
  QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
  QApplication app(argc, argv);
  bool ok = bench_paste();
  ok = bench_sort() && ok;
  ok = bench_line_insert_delete() && ok;
  ok = bench_commands_after_move(true) && ok;
  ok = bench_commands_after_move(false) && ok;
  return ok ? 0 : 1;
}
