#pragma once
// The _xHHHH_ escapes of workbook texts: a character stored as "_x", four
// hexadecimal digits and "_" (CR as "_x000D_"), and an underscore that would
// start such a sequence stored as "_x005F_".
#include <QString>

namespace trelvo::io {

// The text as the XLSX writer library is handed it. U+FFFE and U+FFFF, which
// XML cannot hold, are written "_xFFFE_" and "_xFFFF_"; the control
// characters other than tab and LF the library stores as _xHHHH_ itself
// (after its length check), so they are left to it here. The underscore of
// every "_xHHHH" that a reader would take for the start of an escape once
// the text is stored (one followed by "_", or by a character stored as an
// escape) is written "_x005F_". Everything else is kept.
QString escape_xlsx_text(const QString& text);

// Decodes every _xHHHH_ (either case of hexadecimal digit) in one pass from
// left to right: a decoded character is never part of a further sequence, so
// "_x005F_x000D_" gives the literal "_x000D_". _x0000_ and the surrogate
// escapes (_xD800_ to _xDFFF_) stay as written.
QString decode_xlsx_text(const QString& stored);

}  // namespace trelvo::io
