#pragma once
// Strict UTF-8 decoding and encoding with the error texts of Python's codec.
#include <QByteArray>
#include <QString>

namespace trelvo::io {

// Decodes `bytes` as UTF-8. Overlong forms, surrogates, code points above
// U+10FFFF and truncated sequences are refused (never replaced): throws IoError
// "'utf-8' codec can't decode byte 0xff in position 3: invalid start byte"
// (positions are byte offsets from the start of `bytes`).
QString decode_utf8_strict(const QByteArray& bytes);

// Encodes `text` as UTF-8. An unpaired surrogate is refused: throws IoError
// "'utf-8' codec can't encode character '\ud800' in position 4: surrogates not allowed".
QByteArray encode_utf8_strict(const QString& text);

}  // namespace trelvo::io
