#pragma once
// Checking a workbook the XLSX writer has just written, before it replaces
// its target.
#include <QByteArray>

#include "sheetgrid/io/table.h"

namespace trelvo::io {

// Throws IoError with the fault unless `workbook` (the bytes of a written
// file) is intact: every zip member inflates with the size and CRC-32 of its
// directory entry, every XML member is well-formed, the workbook lists the
// one sheet "Sheet1", its sheet holds a cell at exactly the places of `rows`
// whose text is neither "" nor " " (in the order written), and each shared
// string a cell names exists. Unlike XlsxReader it applies none of the
// limits meant for files from elsewhere (decompressed size, element and text
// sizes, shared string totals): what the writer wrote from a valid grid is
// never refused for its size. Members are parsed as they inflate, never held
// whole.
void check_written_xlsx(const QByteArray& workbook, const TextRows& rows);

}  // namespace trelvo::io
