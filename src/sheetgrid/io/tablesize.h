#pragma once
// The largest table a reader builds (limits.h), checked as it grows.
#include <QtGlobal>

namespace trelvo::io {

// Throws IoError when a table of `rows` rows and `cols` columns exceeds the
// grid's row, column or cell limit.
void check_table_extent(qint64 rows, qint64 cols);

// Throws IoError when `filled` non-empty cells are more than one load may
// place (limits::kMaxLoadFilledCells).
void check_filled_cells(qint64 filled);

}  // namespace trelvo::io
