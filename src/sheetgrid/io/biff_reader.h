#pragma once
// Reading a BIFF8 workbook stream (the "Workbook" stream of an .xls file):
// the globals (sheet list, shared strings) and the cells of one worksheet,
// turned into the texts xlrd gives: numbers as Python float reprs ("3.0"),
// booleans "1"/"0", formulas their cached result; error cells (and error
// results) give their error's text ("#DIV/0!") instead of xlrd's code. Every malformed record ends in IoError; nothing reads outside the
// stream, and every loop advances through it.
#include <QString>
#include <cstddef>
#include <functional>
#include <vector>

#include "sheetgrid/io/biff_records.h"

namespace trelvo::io::biff {

struct SheetEntry {
  QString name;
  std::size_t offset = 0;  // stream offset of the sheet's BOF record
};

struct Globals {
  std::vector<SheetEntry> sheets;  // worksheets only, in BOUNDSHEET order
  std::vector<QString> shared_strings;
};

// Where a sheet's records end. Its table's extent is the cells' own, as the
// table builder decides it (blank cells give no value and add nothing).
struct Extent {
  std::size_t end = 0;  // stream offset after the sheet's EOF record
};

// Receives each cell in file order; a later cell at the same place replaces
// an earlier one.
using CellSink = std::function<void(int row, int col, const QString& text)>;

// Reads the workbook globals from offset 0 up to their EOF record. Refuses
// (IoError) a stream that does not start with a BIFF8 workbook BOF, an
// encrypted workbook, more than limits::kXlsMaxSheets worksheets, and any
// malformed record it reads.
Globals read_globals(ByteView stream);

// Reads the worksheet whose BOF is at `offset`, up to its EOF record,
// handing every cell to `sink`. Throws IoError for a malformed record, a
// column index of 256 or more, an SST index outside the table, or a FORMULA
// string result without its STRING record.
Extent read_sheet(ByteView stream, const Globals& globals, std::size_t offset, const CellSink& sink);

// Reads every worksheet once without keeping its cells and returns their
// extents (one per globals.sheets entry). Sheets listed twice at the same
// offset are read once; sheets whose records overlap, so that the reading
// would pass over more bytes than the stream holds, are refused (IoError),
// which keeps the work linear in the stream's size.
std::vector<Extent> check_sheets(ByteView stream, const Globals& globals);

// The text of an error code: "#NULL!", "#DIV/0!", "#VALUE!", "#REF!",
// "#NAME?", "#NUM!" or "#N/A" for the seven codes of the format, the code's
// decimal digits for any other.
QString error_text(quint8 code);

// The value of an RK number (xlrd's unpack_RK).
double decode_rk(quint32 rk);

}  // namespace trelvo::io::biff
