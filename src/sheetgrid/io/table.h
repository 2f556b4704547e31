#pragma once
// Tables as the file readers give them and the writers take them. Values are
// already the texts a cell shows (the value-to-text rules of each format).
#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace trelvo::io {

// One place of a table: a value's text, or nothing (std::nullopt).
using Value = std::optional<QString>;
using Row = std::vector<Value>;

// A place holding a value (0-based row and column) and the value's text.
struct Cell {
  int row = 0;
  int col = 0;
  QString text;
};

// A table holds only the places that have a value, so its memory follows
// its content, not its extent.
struct Table {
  std::vector<Cell> cells;  // row-major order, one per place
  int height = 0;           // rows the table needs (records, last row, or XLS nrows)
  int width = 0;            // columns the table needs (longest row, or XLS ncols)
  QString sheet_name;       // the sheet read (workbooks only)
  bool empty() const { return height == 0; }
  // The value at (row, col); none for a place without one.
  Value at(int row, int col) const;
  // The table as dense rows (tests and tools): `height` rows, each ending
  // after its last value.
  std::vector<Row> dense_rows() const;
};

// A read or write failed. what() is the description shown to the user.
class IoError : public std::runtime_error {
 public:
  explicit IoError(const std::string& message) : std::runtime_error(message) {}
  explicit IoError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// The content rectangle handed to a writer: rows of cell texts; an empty cell
// (is_empty_cell_text) is written " " by CSV and skipped by workbooks.
using TextRows = std::vector<std::vector<QString>>;

// A cell text of "" or " " is an empty cell: the grid, the readers, the
// writers and the input bar treat it as a cell holding nothing.
inline bool is_empty_cell_text(const QString& text) { return text.isEmpty() || text == QLatin1String(" "); }

}  // namespace trelvo::io
