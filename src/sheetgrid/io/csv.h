#pragma once
// CSV in the dialect of Python's csv module with its default settings:
// "," between values, '"' around values that need it, doubled quotes inside.
#include <QByteArray>
#include <QString>

#include "sheetgrid/io/table.h"

namespace trelvo::io {

// Reads a CSV file as UTF-8: records end at CR LF, LF or CR outside quotes;
// inside quotes commas, line ends and doubled quotes are data; text after a
// closing quote is appended to the value; a quote inside an unquoted value is
// an ordinary character; a file ending inside quotes ends its last value
// there. Blank lines are dropped. One leading byte-order mark is removed.
// Every value of a record is a cell of the table ("" included); height is
// the number of records, width the longest record.
// Throws IoError when the file cannot be read or is not a regular file
// (InputFile), is not valid UTF-8 ("'utf-8' codec can't decode byte 0xff in
// position 3: invalid start byte"), holds a value longer than
// limits::kMaxCsvFieldChars, or a table beyond the grid's limits (its extent,
// or more non-empty values or cell text than one load may place, tablesize.h).
// Reads only; changes nothing.
Table read_csv(const QString& path);

// The same reader on bytes in memory.
Table parse_csv(const QByteArray& bytes);

// Writes `rows` as one record each, values joined by ",", each record ended by
// CR LF, UTF-8 without byte-order mark. A value that is "" or " " is written
// as " "; a value holding ",", '"', CR or LF is enclosed in quotes with inner
// quotes doubled. The file replaces an existing one only when completely
// written and read back (AtomicFile). Throws IoError when it cannot be
// written, `path` is read-only, or a text holds an unpaired surrogate.
void write_csv(const QString& path, const TextRows& rows);

// The bytes write_csv writes.
QByteArray format_csv(const TextRows& rows);

}  // namespace trelvo::io
