#pragma once
// XLSX workbooks: reading one sheet's stored values, writing one sheet of text.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

#include "fitcore/limits.h"
#include "sheetgrid/io/table.h"
#include "sheetgrid/io/xmlbudget.h"

namespace trelvo::io {

// Reads the stored values of an XLSX workbook (never formulas: a formula cell
// gives the result saved with it, or no value). The constructor reads the
// workbook's sheet list, shared strings and styles; readSheet reads one sheet.
// Nothing is changed on disk. Every failure throws IoError: a missing or
// unreadable file, a file that is not a zip or not a workbook, a corrupt
// member, a file or more decompressed bytes than `max_decompressed`, XML
// that is malformed, declares a DTD (so no entity can expand) or is encoded
// other than in UTF-8 or UTF-16, XML past the structure limits of xmlpart.h,
// more elements or characters passed over than `allowance` gives the load
// (xmlbudget.h: the parts the constructor reads and one sheet read, each
// read going on from what the constructor spent), more shared strings,
// styles or number formats than limits.h allows, number formats of more
// characters together than allowed, a number format or a cell text longer
// than allowed, a cell reference beyond the grid's limits, more <row>
// elements than the grid has rows or a row number given twice. Each limit is
// checked as the part is read, so a refusal comes before the part is read
// through; parts are inflated piece by piece into the XML reader, never
// whole.
class XlsxReader {
 public:
  explicit XlsxReader(const QString& path, qint64 max_decompressed = limits::kMaxDecompressedBytes,
                      const XmlAllowance& allowance = XmlAllowance());
  // The same on a workbook held in memory.
  explicit XlsxReader(const QByteArray& data, qint64 max_decompressed = limits::kMaxDecompressedBytes,
                      const XmlAllowance& allowance = XmlAllowance());
  ~XlsxReader();
  XlsxReader(XlsxReader&&) noexcept;
  XlsxReader& operator=(XlsxReader&&) noexcept;

  // Sheet names in workbook order (chart sheets included).
  QStringList sheetNames() const;

  // Position of the workbook's active sheet: the first workbook view's
  // activeTab; 0 when that view has none or it names no sheet.
  int activeSheet() const;

  // The sheet at `index`: rows 1 to the last row holding a cell, each with the
  // values of columns A onwards; width is the last column holding a cell
  // (cells without a value count too); only the places with a value are
  // cells of the table, and cells with equal stored texts share one string.
  // Value texts: shared and inline
  // text with its _xHHHH_ escapes decoded (xlsxescape.h); a number written
  // without "." or exponent is an integer in its decimal digits ("3", "-12"),
  // any other number the shortest float text ("2.5", "1e-05"); booleans "True" / "False"; date-formatted numbers
  // "YYYY-MM-DD HH:MM:SS" (exceldate.h), or "#VALUE!" outside the dates that
  // can be held; error cells their text ("#DIV/0!"). A sheet without cells
  // gives a table without rows. sheet_name is set. Throws IoError for an
  // index out of range, a chart sheet, a malformed sheet, or a sheet holding
  // more non-empty cells or cell text than one load may place (tablesize.h),
  // refused as soon as the count is passed.
  Table readSheet(int index) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> d_;
};

// Writes one sheet "Sheet1" holding each text that is neither "" nor " " as a
// text cell at row r + 1, column c + 1 (also texts that read as numbers or
// begin with "="). The file replaces an existing one only when completely
// written and read back with a cell at every place written. Throws IoError,
// leaving no file behind, when it cannot be written or reads back damaged,
// when `path` is read-only, when the rows pass the format's 1048576 rows or
// 16384 columns, when a text
// is longer than 32767 characters, holds U+0000 (which no escape can store)
// or an unpaired surrogate.
// Texts are stored with the _xHHHH_ escapes of xlsxescape.h, so that control
// characters, U+FFFE, U+FFFF and a literal "_x000D_" read back as written;
// each literal _xHHHH_ and each U+FFFE or U+FFFF counts 6 characters more
// towards the 32767, for its escape.
void write_xlsx(const QString& path, const TextRows& rows);

}  // namespace trelvo::io
