#pragma once
// The OLE2 compound-document container of .xls files, through libgsf.
#include <QByteArray>
#include <QString>

namespace trelvo::io::ole2 {

// The workbook stream of the .xls file at `path`: its "Workbook" (or, in
// older files, "Book") stream, names compared without case. A file that is
// not an OLE2 compound document is taken as a bare BIFF stream, as xlrd
// does; an XLSX (zip) file is refused. Throws IoError when the file cannot
// be opened or is not a regular file (InputFile), the container is damaged,
// there is no workbook stream, or the stream exceeds
// limits::kMaxDecompressedBytes.
QByteArray read_workbook_stream(const QString& path);

// The same for the bytes of a whole file held in memory.
QByteArray read_workbook_stream_from_bytes(const QByteArray& file);

// The bytes of a new compound document holding `stream` as its "Workbook"
// stream. Throws IoError when libgsf reports any failure.
QByteArray make_workbook_file(const QByteArray& stream);

}  // namespace trelvo::io::ole2
