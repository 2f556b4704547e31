#include "sheetgrid/io/tablesize.h"

#include "fitcore/limits.h"
#include "sheetgrid/io/table.h"

namespace trelvo::io {

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
  if (filled > limits::kMaxLoadFilledCells) {
    throw IoError(QStringLiteral("The table fills more than %1 cells, more than the grid can hold")
                      .arg(limits::kMaxLoadFilledCells));
  }
}

}  // namespace trelvo::io
