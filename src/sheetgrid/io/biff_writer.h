#pragma once
// Building the BIFF8 workbook stream that xlwt writes for a new workbook
// with one sheet "Sheet1" of text cells (encoding "utf-8"): the globals
// (BOF, CODEPAGE 1200, WINDOW1, fonts, 16 style XFs and the cell XFs,
// STYLE, BOUNDSHEET, SST split into CONTINUE records, EXTSST, EOF) and the
// sheet (BOF, DIMENSIONS, ROW blocks with LABELSST cells, WINDOW2, EOF).
#include <QByteArray>

#include "sheetgrid/io/table.h"

namespace trelvo::io::biff {

// The workbook stream for `rows`: row r, column c of the rectangle lands at
// row r, column c of "Sheet1"; texts "" and " " write no cell. Refuses
// (IoError) more than limits::kXlsMaxRows rows, a row longer than
// limits::kXlsMaxCols texts, and a text longer than
// limits::kXlsMaxCellChars UTF-16 units. The stream is padded with zeros
// to at least 4096 bytes, as xlwt does, so that it never sits in the
// container's small-block stream.
QByteArray build_workbook_stream(const TextRows& rows);

}  // namespace trelvo::io::biff
