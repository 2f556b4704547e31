#include "sheetgrid/io/tablesize.h"

#include <algorithm>

#include "fitcore/limits.h"
#include "sheetgrid/io/table.h"

namespace trelvo::io {

namespace {

bool before(const Cell& a, const Cell& b) {
  const int ac = a.col < 0 ? -1 - a.col : a.col;
  const int bc = b.col < 0 ? -1 - b.col : b.col;
  return a.row != b.row ? a.row < b.row : ac < bc;
}

bool same_place(const Cell& a, const Cell& b) { return !before(a, b) && !before(b, a); }

}  // namespace

Value Table::at(int row, int col) const {
  const Cell key{row, col, QString()};
  const auto it = std::lower_bound(cells.begin(), cells.end(), key, before);
  if (it == cells.end() || it->row != row || it->col != col) return std::nullopt;
  return it->text;
}

std::vector<Row> Table::dense_rows() const {
  std::vector<Row> rows(static_cast<std::size_t>(std::max(height, 0)));
  for (const Cell& cell : cells) {
    if (cell.row >= height) continue;
    Row& row = rows[static_cast<std::size_t>(cell.row)];
    if (row.size() <= static_cast<std::size_t>(cell.col)) row.resize(static_cast<std::size_t>(cell.col) + 1);
    row[static_cast<std::size_t>(cell.col)] = cell.text;
  }
  return rows;
}

void check_table_extent(qint64 rows, qint64 cols) {
  if (limits::fits_grid(rows, cols)) return;
  if (rows > limits::kMaxRows) {
    throw IoError(QStringLiteral("The table has more than %1 rows").arg(limits::kMaxRows));
  }
  if (cols > limits::kMaxCols) {
    throw IoError(QStringLiteral("The table has more than %1 columns").arg(limits::kMaxCols));
  }
  throw IoError(QStringLiteral("The table of %1 rows and %2 columns has more than %3 cells")
                    .arg(rows).arg(cols).arg(limits::kMaxCells));
}

void check_filled_cells(qint64 filled) {
  if (filled > limits::kMaxFilledCells) {
    throw IoError(QStringLiteral("The table fills more than %1 cells, more than the grid can hold")
                      .arg(limits::kMaxFilledCells));
  }
}

void check_load_text(qint64 units) {
  if (units > limits::kMaxTextUnits) {
    throw IoError(QStringLiteral("The cell texts of the table hold more than %1 characters together")
                      .arg(limits::kMaxTextUnits));
  }
}

void TableBuilder::count(const Cell& cell, int sign) {
  if (cell.col < 0 || is_empty_cell_text(cell.text)) return;
  filled_ += sign;
  units_ += sign * static_cast<qint64>(cell.text.size());
}

void TableBuilder::append(Cell cell) {
  if (!cells_.empty()) {
    Cell& last = cells_.back();
    if (same_place(last, cell)) {
      count(last, -1);
      count(cell, +1);
      last = std::move(cell);
      return;
    }
    if (before(cell, last)) ordered_ = false;
  }
  if (static_cast<qint64>(cells_.size()) >= limits::kMaxCells) {
    throw IoError(QStringLiteral("The table holds more than %1 values").arg(limits::kMaxCells));
  }
  count(cell, +1);
  cells_.push_back(std::move(cell));
}

void TableBuilder::put(qint64 row, qint64 col, QString text) {
  // The extent of every value so far, this one's place included, before the
  // place is narrowed to the grid's indexes.
  check_table_extent(std::max(rows_, row + 1), std::max(cols_, col + 1));
  rows_ = std::max(rows_, row + 1);
  cols_ = std::max(cols_, col + 1);
  append(Cell{static_cast<int>(row), static_cast<int>(col), std::move(text)});
  check_filled_cells(filled_);
  check_load_text(units_);
}

void TableBuilder::erase(qint64 row, qint64 col) {
  // No value was put beyond the extent, so there is nothing to drop there.
  if (row >= rows_ || col >= cols_) return;
  const Cell gone{static_cast<int>(row), static_cast<int>(-1 - col), QString()};
  // In order and past every value put, there is nothing to drop.
  if (ordered_ && (cells_.empty() || before(cells_.back(), gone))) return;
  append(gone);
}

Table TableBuilder::finish() {
  if (!ordered_) std::stable_sort(cells_.begin(), cells_.end(), before);
  std::size_t out = 0;
  int width = 0;
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    if (i + 1 < cells_.size() && same_place(cells_[i], cells_[i + 1])) continue;  // a later one replaces it
    if (cells_[i].col < 0) continue;
    width = std::max(width, cells_[i].col + 1);
    if (out != i) cells_[out] = std::move(cells_[i]);
    ++out;
  }
  cells_.resize(out);
  Table table;
  table.height = out == 0 ? 0 : cells_.back().row + 1;
  table.width = width;
  table.cells = std::move(cells_);
  cells_ = {};
  ordered_ = true;
  filled_ = units_ = 0;
  rows_ = cols_ = 0;
  return table;
}

}  // namespace trelvo::io
