// Empty cells, the content extent and its signal, bulk writes, trimming.
#include <QDebug>
#include <QMessageBox>

#include "fitcore/limits.h"
#include "sheetgrid/clevertablewidget.h"
#include "sheetgrid/io/table.h"

using trelvo::io::is_empty_cell_text;

bool CleverTableWidget::row_is_empty(int row) const {
  if (row < 0 || row >= rowCount()) return true;
  for (int col = columnCount() - 1; col >= 0; --col)
    if (!is_empty_cell_text(cellText(item(row, col)))) return false;
  return true;
}

bool CleverTableWidget::col_is_empty(int col) const {
  if (col < 0 || col >= columnCount()) return true;
  for (int row = rowCount() - 1; row >= 0; --row)
    if (!is_empty_cell_text(cellText(item(row, col)))) return false;
  return true;
}

qint64 CleverTableWidget::filled_cell_count() const {
  qint64 filled = 0;
  for (int row = 0; row < rowCount(); ++row)
    for (int col = 0; col < columnCount(); ++col)
      if (const QTableWidgetItem* it = item(row, col); it && !is_empty_cell_text(cellText(it))) ++filled;
  return filled;
}

bool CleverTableWidget::refuse_past_filled_limit(qint64 filled_after, const char* command) {
  if (filled_after <= trelvo::limits::kMaxFilledCells) return false;
  qDebug().noquote() << QStringLiteral("%1 refused: %2 filled cells exceed the limit of %3")
                            .arg(QLatin1String(command))
                            .arg(filled_after)
                            .arg(trelvo::limits::kMaxFilledCells);
  QMessageBox::warning(this, tr("警告"),
                       tr("操作后表格的非空单元格将超过%1个，无法执行该操作").arg(trelvo::limits::kMaxFilledCells));
  return true;
}

void CleverTableWidget::_max_content_pos() {
  if (bulk_depth_ > 0) {
    extent_pending_ = true;
    return;
  }
  int max_row = rowCount() - 1;
  int max_col = columnCount() - 1;
  for (int r = max_row; r >= 1; --r) {
    if (!row_is_empty(r)) break;
    --max_row;
  }
  for (int c = max_col; c >= 1; --c) {
    if (!col_is_empty(c)) break;
    --max_col;
  }
  max_content_row = max_row;
  max_content_col = max_col;
  emit ContentsChangeSignal(max_row, max_col);
}

std::pair<int, int> CleverTableWidget::get_max_content_pos() {
  _max_content_pos();
  return {max_content_row, max_content_col};
}

void CleverTableWidget::beginBulk() { ++bulk_depth_; }

void CleverTableWidget::endBulk() {
  if (bulk_depth_ <= 0) return;
  if (--bulk_depth_ > 0) return;
  if (fill_pending_) {
    fill_pending_ = false;
    if (infinite) _fill_visible_area();
  }
  if (extent_pending_) {
    extent_pending_ = false;
    _max_content_pos();
    emit CellsRewrittenSignal();
  }
}

bool CleverTableWidget::set_cell_text(int row, int col, const QString& text) {
  if (row < 0 || col < 0 || row >= trelvo::limits::kMaxRows || col >= trelvo::limits::kMaxCols)
    return false;
  if (row >= rowCount()) setRowCount(row + 1);
  if (col >= columnCount()) _set_column_count(col + 1);
  setItem(row, col, new CleverTableWidgetItem(QString()));
  // setItem emitted cellChanged: reach the new cell by its position.
  setCellText(item(row, col), text);
  return true;
}

void CleverTableWidget::clear_empty_row() {
  if (editable) trim_empty_rows();
}

void CleverTableWidget::trim_empty_rows() {
  if (infinite) return;
  const int cols = columnCount();
  for (int row = rowCount() - 1; row >= 0; --row) {
    int empty = 0;
    for (int col = 0; col < cols; ++col) {
      if (is_empty_cell_text(cellText(item(row, col)))) ++empty;
      if (empty == cols) removeRow(row);
    }
  }
}

void CleverTableWidget::clear_empty_col() {
  if (editable) trim_empty_cols();
}

void CleverTableWidget::trim_empty_cols() {
  if (infinite) return;
  const int rows = rowCount();
  for (int col = columnCount() - 1; col >= 0; --col) {
    int empty = 0;
    for (int row = 0; row < rows; ++row) {
      if (is_empty_cell_text(cellText(item(row, col)))) ++empty;
      if (empty == rows) _change_columns(col, -1);
    }
  }
}

void CleverTableWidget::clear_empty_space() {
  if (infinite) return;
  clear_empty_col();
  clear_empty_row();
}

void CleverTableWidget::trim_empty_space() {
  if (infinite) return;
  trim_empty_cols();
  trim_empty_rows();
}
