#include "sheetgrid/io/utf8.h"

#include <QStringDecoder>
#include <cstdio>
#include <string>
#include <string_view>

#include "fitcore/utf8.h"

#include "sheetgrid/io/table.h"

namespace trelvo::io {
namespace {

[[noreturn]] void decode_error(const QByteArray& bytes, qsizetype start, qsizetype end, const char* reason) {
  char buf[160];
  if (end - start <= 1) {
    std::snprintf(buf, sizeof buf, "'utf-8' codec can't decode byte 0x%02x in position %lld: %s",
                  static_cast<unsigned char>(bytes[start]), static_cast<long long>(start), reason);
  } else {
    std::snprintf(buf, sizeof buf, "'utf-8' codec can't decode bytes in position %lld-%lld: %s",
                  static_cast<long long>(start), static_cast<long long>(end - 1), reason);
  }
  throw IoError(std::string(buf));
}

}  // namespace

QString decode_utf8_strict(const QByteArray& bytes) {
  const std::string_view s(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  std::size_t i = 0;
  while (i < s.size()) {
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      ++i;
      continue;
    }
    const utf8::Decoded d = utf8::decode(s, i);
    const qsizetype start = static_cast<qsizetype>(i), end = static_cast<qsizetype>(i + d.length);
    switch (d.fault) {
      case utf8::Fault::None: break;
      case utf8::Fault::InvalidStart: decode_error(bytes, start, end, "invalid start byte");
      case utf8::Fault::UnexpectedEnd: decode_error(bytes, start, end, "unexpected end of data");
      case utf8::Fault::InvalidContinuation: decode_error(bytes, start, end, "invalid continuation byte");
    }
    i += d.length;
  }
  // Decoded with any byte-order mark kept: the caller decides what a mark means.
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
  return decoder(bytes);
}

QByteArray encode_utf8_strict(const QString& text) {
  const qsizetype n = text.size();
  qsizetype cp = 0;  // position in code points, as Python counts
  for (qsizetype i = 0; i < n; ++i, ++cp) {
    const QChar ch = text[i];
    if (ch.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
      ++i;
      continue;
    }
    if (ch.isSurrogate()) {
      char buf[128];
      std::snprintf(buf, sizeof buf,
                    "'utf-8' codec can't encode character '\\u%04x' in position %lld: surrogates not allowed",
                    ch.unicode(), static_cast<long long>(cp));
      throw IoError(std::string(buf));
    }
  }
  return text.toUtf8();
}

}  // namespace trelvo::io
