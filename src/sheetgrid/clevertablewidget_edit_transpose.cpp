// Transpose: rows and columns exchanged in place, with trimming around it.
#include <QDebug>
#include <QMessageBox>

#include "fitcore/limits.h"
#include "sheetgrid/clevertablewidget.h"

namespace {

// Swaps (i, j) with (j, i) on the square grid; on a fixed-size grid also the
// header items of each section.
void trans(CleverTableWidget& grid) {
  const int n = grid.rowCount();
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) {
      QTableWidgetItem* a = grid.takeItem(i, j);
      QTableWidgetItem* b = grid.takeItem(j, i);
      if (b) grid.setItem(i, j, b);
      if (a) grid.setItem(j, i, a);
    }
    if (!grid.infinite) {
      QTableWidgetItem* h = grid.takeHorizontalHeaderItem(i);
      QTableWidgetItem* v = grid.takeVerticalHeaderItem(i);
      grid.setHorizontalHeaderItem(i, v);
      grid.setVerticalHeaderItem(i, h);
    }
  }
  // The titles depend on the counts only, which the swaps leave alone.
  if (grid.infinite) grid.renumber_header();
}

}  // namespace

void CleverTableWidget::transpose_table() {
  clear_empty_space();
  if (rowCount() == 0 || columnCount() == 0) {
    QMessageBox::warning(this, tr("警告"), tr("表格为空，无法进行转置操作"));
    return;
  }
  const qint64 n = std::max(rowCount(), columnCount());
  if (!trelvo::limits::fits_grid(n, n)) {
    qDebug().noquote() << QStringLiteral("Transpose refused: a %1 x %1 grid exceeds the grid limits")
                              .arg(n);
    QMessageBox::warning(this, tr("警告"), tr("表格过大，无法进行转置操作"));
    return;
  }
  BulkGuard bulk(*this);
  if (rowCount() > columnCount())
    _set_column_count(rowCount());
  else if (columnCount() > rowCount())
    setRowCount(columnCount());
  trans(*this);
  trim_empty_space();
}
