#pragma once
// The largest table a reader builds (limits.h), checked as it grows.
#include <QString>
#include <QtGlobal>

#include <vector>

#include "sheetgrid/io/table.h"

namespace trelvo::io {

// Throws IoError when a table of `rows` rows and `cols` columns exceeds the
// grid's row, column or cell limit.
void check_table_extent(qint64 rows, qint64 cols);

// Throws IoError when `filled` non-empty cells are more than one load may
// place (limits::kMaxFilledCells).
void check_filled_cells(qint64 filled);

// Throws IoError when the non-empty cell texts of one table hold more than
// limits::kMaxTextUnits UTF-16 units together.
void check_load_text(qint64 units);

// Collects a reader's values, in any order, into a Table, and decides the
// table's extent for every format: its height is one past the last row that
// holds a value and its width one past the last column that holds one (an
// empty text is a value; a place without one, such as a formatted empty
// cell, widens or lengthens nothing). Each value counts as it arrives: a
// place past the grid's row, column or cell limit, more non-empty values
// than one load may place, more text than one load may hold, or more values
// than the grid has places (limits::kMaxCells) throw IoError at once. A
// value that replaces the one just put at the same place takes its count
// over; values out of order count until finish() sorts them.
class TableBuilder {
 public:
  // The value `text` at (row, col) (0-based), replacing any earlier one there.
  void put(qint64 row, qint64 col, QString text);
  // No value at (row, col): an earlier one there is dropped.
  void erase(qint64 row, qint64 col);
  // The non-empty values counted so far.
  qint64 filled() const { return filled_; }
  // The table of the values put, in row-major order, one per place (the
  // last one put there), as high and as wide as its values reach. The
  // builder is left empty.
  Table finish();

 private:
  void count(const Cell& cell, int sign);
  void append(Cell cell);
  std::vector<Cell> cells_;  // an erased place is kept as a cell of column -1 - col
  bool ordered_ = true;      // every cell lies after the one before it
  qint64 filled_ = 0;
  qint64 units_ = 0;
  qint64 rows_ = 0;  // one past the last row and column of any value put
  qint64 cols_ = 0;
};

}  // namespace trelvo::io
