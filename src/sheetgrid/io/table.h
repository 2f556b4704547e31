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

struct Table {
  std::vector<Row> rows;  // rows may be shorter than width
  int width = 0;          // columns the table needs (longest row, or XLS ncols)
  QString sheet_name;     // the sheet read (workbooks only)
  bool empty() const { return rows.empty(); }
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
