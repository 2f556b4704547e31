#pragma once
// XLS (Excel 97-2003, BIFF8) workbooks: reading one worksheet as the texts
// xlrd gives, and writing a one-sheet workbook of text cells as xlwt does.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

#include "sheetgrid/io/table.h"

namespace trelvo::io {

// An opened XLS workbook. The constructor reads the whole workbook stream
// and checks every worksheet, so a damaged sheet fails the open (as xlrd's
// open_workbook does); afterwards readSheet fails only for a bad index or a
// sheet too full to load.
class XlsReader {
 public:
  // Throws IoError: the file cannot be read, is not a BIFF8 workbook (older
  // BIFF versions and XLSX files are refused), is encrypted, or holds a
  // malformed record.
  explicit XlsReader(const QString& path);
  // The same for the bytes of a whole file in memory (tests and fuzzing).
  static XlsReader fromBytes(const QByteArray& file);

  // The worksheets' names in workbook order (chart and macro sheets left out).
  QStringList sheetNames() const;

  // Worksheet `index` (0-based) as a table: width = ncols and rows.size() =
  // nrows as xlrd counts them (one past the last row and column holding a
  // cell record with a value; BLANK and MULBLANK cells do not count). Each
  // cell gives its xlrd text: strings as stored, numbers (dates included) as
  // Python float reprs ("3.0", "1e-05"), booleans "1"/"0", error cells (and
  // formulas whose result is an error) their error's text ("#DIV/0!", "#N/A";
  // the code's digits for a code the format does not define), other formulas
  // their cached result. Places without a cell record
  // have no value (std::nullopt; xlrd gives "" there) and rows end after
  // their last cell. sheet_name is the sheet's name. Throws IoError when
  // `index` is out of range, or when the sheet holds more non-empty cells
  // than one load may place (limits::kMaxLoadFilledCells).
  Table readSheet(int index) const;

 private:
  struct Data;
  explicit XlsReader(std::shared_ptr<const Data> data) : d_(std::move(data)) {}
  static std::shared_ptr<const Data> open(QByteArray stream);
  std::shared_ptr<const Data> d_;
};

// Writes `rows` as a new XLS workbook with one sheet "Sheet1": the text at
// rows[r][c] becomes a text cell at row r, column c; "" and " " write no
// cell. Refuses (IoError, nothing written) more than 65536 rows, a row of
// more than 256 texts, or a text longer than 32767 characters. The file is
// written to a temporary file in the same folder (AtomicFile), read back,
// and renamed over `path` only when it holds every byte, so a failed save
// leaves an existing file untouched; any failed write, read-back, flush or
// rename throws IoError, and so does a read-only `path`.
void write_xls(const QString& path, const TextRows& rows);

}  // namespace trelvo::io
