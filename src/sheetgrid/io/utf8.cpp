#include "sheetgrid/io/utf8.h"

#include <QStringDecoder>
#include <cstdio>
#include <string>

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
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
  const qsizetype n = bytes.size();
  qsizetype i = 0;
  while (i < n) {
    const unsigned char c = p[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    int need = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
      need = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      need = 2;
      if (c == 0xE0) lo = 0xA0;
      if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      need = 3;
      if (c == 0xF0) lo = 0x90;
      if (c == 0xF4) hi = 0x8F;
    } else {
      decode_error(bytes, i, i + 1, "invalid start byte");
    }
    qsizetype j = i + 1;
    for (int k = 0; k < need; ++k, ++j) {
      if (j >= n) decode_error(bytes, i, j, "unexpected end of data");
      const unsigned char d = p[j];
      const unsigned char l = k == 0 ? lo : 0x80;
      const unsigned char h = k == 0 ? hi : 0xBF;
      if (d < l || d > h) decode_error(bytes, i, j, "invalid continuation byte");
    }
    i = j;
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
