// Editing commands at size: a paste of 100,000 cells (1,000 lines of 100
// fields) into a small self-extending grid, and an ascending sort of a column
// of 100,000 rows holding numbers and texts. Prints the times; exits non-zero
// when either takes a second or more or gives a wrong result.
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QSignalSpy>
#include <QStringList>

#include <cstdio>
#include <random>

#include "sheetgrid/clevertablewidget.h"

namespace {

bool report(const char* what, qint64 ms, bool right, const QString& extra) {
  std::printf("%-40s %7lld ms  %s%s\n", what, static_cast<long long>(ms), qPrintable(extra),
              right ? "" : "  WRONG RESULT");
  return right && ms < 1000;
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
  return ok ? 0 : 1;
}
