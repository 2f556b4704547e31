// Self-extending grid: fills its visible area, grows at the scroll end and
// sheds trailing empty, unprotected lines.
#include <QDebug>
#include <QHeaderView>
#include <QLoggingCategory>
#include <QScrollBar>

#include <algorithm>

#include "fitcore/limits.h"
#include "sheetgrid/clevertablewidget.h"
#include "sheetgrid/slotguard.h"

namespace {

bool protects(const std::optional<QList<int>>& list, int index) {
  return list && list->contains(index);
}

}  // namespace

void CleverTableWidget::enable_infinite() {
  infinite = true;
  const auto h = connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
    trelvo::guard_slot("_handle_horizontal_scroll", [&] { _handle_horizontal_scroll(value); });
  });
  const auto v = connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
    trelvo::guard_slot("_handle_vertical_scroll", [&] { _handle_vertical_scroll(value); });
  });
  scroll_connections_.emplace_back(h, v);
  _fill_visible_area();
}

void CleverTableWidget::disable_infinite() {
  infinite = false;
  if (!scroll_connections_.empty()) {
    disconnect(scroll_connections_.back().first);
    disconnect(scroll_connections_.back().second);
    scroll_connections_.pop_back();
  }
  clear_empty_space();
}

// Inside a bulk a scroll bar moves with the grid's passing shape (a range
// that shrinks as columns go while rows are still to come), not with the
// user: the lines are fitted once, as the bulk ends.
bool CleverTableWidget::scroll_waits_for_bulk() {
  if (bulk_depth_ <= 0) return false;
  fill_pending_ = true;
  return true;
}

void CleverTableWidget::_handle_horizontal_scroll(int value) {
  if (scroll_waits_for_bulk()) return;
  if (value == horizontalScrollBar()->maximum())
    _add_columns_at_end();
  else
    _remove_columns_at_end();
  renumber_header_col();
}

void CleverTableWidget::_handle_vertical_scroll(int value) {
  if (scroll_waits_for_bulk()) return;
  if (value == verticalScrollBar()->maximum())
    _add_rows_at_end();
  else
    _remove_rows_at_end();
  renumber_header_row();
}

void CleverTableWidget::_add_columns_at_end() { add_columns_at_end(1); }

void CleverTableWidget::add_columns_at_end(int count) {
  const int n = columnCount();
  const qint64 rows = std::max(rowCount(), 1);
  const qint64 room = std::min<qint64>(trelvo::limits::kMaxCols, trelvo::limits::kMaxCells / rows) - n;
  count = static_cast<int>(std::min<qint64>(count, room));
  if (count <= 0) return;
  _change_columns(n, count);
  for (int c = n; c < n + count; ++c) qDebug().noquote() << QStringLiteral("Added new column %1 at end").arg(c);
}

void CleverTableWidget::_add_rows_at_end() {
  const int n = rowCount();
  if (!trelvo::limits::fits_grid(static_cast<qint64>(n) + 1, columnCount())) return;
  setRowCount(n + 1);
  qDebug().noquote() << QStringLiteral("Added new row %1 at end").arg(n);
}

std::pair<qint64, qint64> CleverTableWidget::grown_size(qint64 rows, qint64 cols, Beyond beyond) const {
  const bool cleared = beyond == Beyond::Cleared;
  qint64 r = std::max<qint64>(rowCount(), rows);
  qint64 c = std::max<qint64>(columnCount(), cols);
  while (c > cols && !trelvo::limits::fits_grid(r, c) && (cleared || col_is_empty(static_cast<int>(c) - 1))) --c;
  while (r > rows && !trelvo::limits::fits_grid(r, c) && (cleared || row_is_empty(static_cast<int>(r) - 1))) --r;
  return {r, c};
}

void CleverTableWidget::make_room_for(qint64 rows, qint64 cols, Beyond beyond) {
  const auto [r, c] = grown_size(rows, cols, beyond);
  if (!trelvo::limits::fits_grid(r, c)) return;
  if (c < columnCount()) _set_column_count(static_cast<int>(c));
  if (r < rowCount()) setRowCount(static_cast<int>(r));
}

bool CleverTableWidget::column_may_go(int col) const {
  return col >= 0 && col_is_empty(col) && !protects(whole_cols, col) && !selected_corner_cols.contains(col);
}

void CleverTableWidget::_remove_columns_at_end() {
  if (columnCount() <= 0) return;
  const int last = columnCount() - 1;
  if (!column_may_go(last)) return;
  _change_columns(last, -1);
  qDebug().noquote() << QStringLiteral("Removed empty column %1 at end").arg(last);
}

bool CleverTableWidget::row_may_go(int row) const {
  return row >= 0 && row_is_empty(row) && !protects(whole_rows, row) && !selected_corner_rows.contains(row);
}

int CleverTableWidget::rows_selection_keeps(int rows) const {
  int last = -1;
  const auto keep = [&](int row) {
    if (row < rows) last = std::max(last, row);
  };
  if (whole_rows)
    for (const int row : *whole_rows) keep(row);
  for (const int row : selected_corner_rows) keep(row);
  return last + 1;
}

void CleverTableWidget::_remove_rows_at_end() {
  if (rowCount() <= 0) return;
  const int last = rowCount() - 1;
  if (!row_may_go(last)) return;
  removeRow(last);
  qDebug().noquote() << QStringLiteral("Removed empty row %1 at end").arg(last);
}

void CleverTableWidget::_fill_visible_area() {
  const int w = viewport()->width();
  const int h = viewport()->height();
  int lastRow = rowCount() - 1;
  int lastCol = columnCount() - 1;
  int right = columnViewportPosition(lastCol) + columnWidth(lastCol);
  int bottom = rowViewportPosition(lastRow) + rowHeight(lastRow);
  renumber_header();

  // Each added line must move the edge, or the loop would never end (zero
  // section sizes, the grid limits).
  while (right < w) {
    const int before = columnCount();
    // The columns still missing at the default width come in one change (on
    // a tall grid each change refills every row).
    const int width = horizontalHeader()->defaultSectionSize();
    add_columns_at_end(width > 0 ? std::max(1, (w - right + width - 1) / width) : 1);
    if (columnCount() == before) break;
    lastCol = columnCount() - 1;
    const int next = columnViewportPosition(lastCol) + columnWidth(lastCol);
    if (next <= right) break;
    right = next;
  }
  while (bottom < h) {
    const int before = rowCount();
    _add_rows_at_end();
    if (rowCount() == before) break;
    lastRow = rowCount() - 1;
    const int next = rowViewportPosition(lastRow) + rowHeight(lastRow);
    if (next <= bottom) break;
    bottom = next;
  }

  // The trailing columns that may go and start beyond the view leave in one
  // change (on a tall grid every column change refills all rows), with one
  // debug line each, the last column first.
  const int columns = columnCount();
  int keep = columns;
  while (keep > 0 && columnViewportPosition(keep - 1) > w && column_may_go(keep - 1)) --keep;
  if (keep < columns) {
    _change_columns(keep, keep - columns);
    if (QLoggingCategory::defaultCategory()->isDebugEnabled())
      for (int col = columns - 1; col >= keep; --col)
        qDebug().noquote() << QStringLiteral("Removed empty column %1 at end").arg(col);
  }
  // The trailing rows that may go and start beyond the view leave in one
  // change too: row by row, each removal would shift the header's sections
  // and the model's items once more (quadratic on a tall grid). The search
  // stops at the last protected row, found once, not looked up per row.
  const int rows = rowCount();
  const int floor = rows_selection_keeps(rows);
  int kept = rows;
  while (kept > floor && rowViewportPosition(kept - 1) > h && row_is_empty(kept - 1)) --kept;
  if (kept < rows) {
    setRowCount(kept);
    if (QLoggingCategory::defaultCategory()->isDebugEnabled())
      for (int row = rows - 1; row >= kept; --row)
        qDebug().noquote() << QStringLiteral("Removed empty row %1 at end").arg(row);
  }
}
