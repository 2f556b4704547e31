// Moving the selected block by one cell: it trades places with the
// neighbouring line, which comes to rest on the far side of the block.
#include <QMessageBox>

#include "sheetgrid/clevertablewidget.h"

namespace {

enum class Direction { Up, Down, Left, Right };

QTableWidgetItem* take_or_empty(QTableWidget& grid, int row, int col) {
  QTableWidgetItem* it = grid.takeItem(row, col);
  if (it) return it;
  auto* empty = new CleverTableWidgetItem();
  empty->setText(QString());
  return empty;
}

void move_block(CleverTableWidget& grid, Direction dir) {
  if (!grid.editable) return;
  const QList<QTableWidgetSelectionRange> ranges = grid.selectedRanges();
  if (ranges.size() != 1) return;
  const QTableWidgetSelectionRange r = ranges.first();
  if (dir == Direction::Up && r.topRow() == 0) {
    QMessageBox::warning(&grid, CleverTableWidget::tr("警告"),
                         CleverTableWidget::tr("已到达顶部，无法向上移动"));
    return;
  }
  if (dir == Direction::Left && r.leftColumn() == 0) {
    QMessageBox::warning(&grid, CleverTableWidget::tr("警告"),
                         CleverTableWidget::tr("已到达最左侧，无法向左移动"));
    return;
  }

  CleverTableWidget::BulkGuard bulk(grid);
  if (dir == Direction::Down && r.bottomRow() == grid.rowCount() - 1)
    grid.insertRow(grid.rowCount());
  if (dir == Direction::Right && r.rightColumn() == grid.columnCount() - 1)
    grid._change_columns(grid.columnCount(), 1);

  const int top = r.topRow(), bottom = r.bottomRow(), left = r.leftColumn(), right = r.rightColumn();
  const int dr = dir == Direction::Up ? -1 : dir == Direction::Down ? 1 : 0;
  const int dc = dir == Direction::Left ? -1 : dir == Direction::Right ? 1 : 0;
  auto swap = [&](int row, int col) {
    QTableWidgetItem* a = take_or_empty(grid, row, col);
    QTableWidgetItem* b = take_or_empty(grid, row + dr, col + dc);
    grid.setItem(row + dr, col + dc, a);
    grid.setItem(row, col, b);
  };
  switch (dir) {
    case Direction::Up:
      for (int col = left; col <= right; ++col)
        for (int row = top; row <= bottom; ++row) swap(row, col);
      break;
    case Direction::Down:
      for (int col = left; col <= right; ++col)
        for (int row = bottom; row >= top; --row) swap(row, col);
      break;
    case Direction::Left:
      for (int row = top; row <= bottom; ++row)
        for (int col = left; col <= right; ++col) swap(row, col);
      break;
    case Direction::Right:
      for (int row = top; row <= bottom; ++row)
        for (int col = right; col >= left; --col) swap(row, col);
      break;
  }
  grid.clearSelection();
  grid.setRangeSelected(QTableWidgetSelectionRange(top + dr, left + dc, bottom + dr, right + dc),
                        true);
  grid._max_content_pos();
}

}  // namespace

void CleverTableWidget::move_up() { move_block(*this, Direction::Up); }
void CleverTableWidget::move_down() { move_block(*this, Direction::Down); }
void CleverTableWidget::move_left() { move_block(*this, Direction::Left); }
void CleverTableWidget::move_right() { move_block(*this, Direction::Right); }
