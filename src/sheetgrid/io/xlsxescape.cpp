#include "sheetgrid/io/xlsxescape.h"

#include <algorithm>

namespace trelvo::io {
namespace {

int hex_value(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') return u - u'0';
  if (u >= u'A' && u <= u'F') return u - u'A' + 10;
  if (u >= u'a' && u <= u'f') return u - u'a' + 10;
  return -1;
}

// The code of the "xHHHH" at text[i], or -1.
int escape_code(const QString& text, qsizetype i) {
  if (i + 5 > text.size() || text[i] != u'x') return -1;
  int code = 0;
  for (qsizetype k = i + 1; k < i + 5; ++k) {
    const int v = hex_value(text[k]);
    if (v < 0) return -1;
    code = code * 16 + v;
  }
  return code;
}

// The non-characters XML cannot hold; the text escapes them itself.
bool non_xml_character(QChar c) { return c.unicode() == 0xFFFE || c.unicode() == 0xFFFF; }

// Characters that are stored as _xHHHH_ (by the library or by the text).
bool stored_escaped(QChar c) { return (c.unicode() < 0x20 && c != u'\t' && c != u'\n') || non_xml_character(c); }

}  // namespace

QString escape_xlsx_text(const QString& text) {
  if (!text.contains(QLatin1String("_x")) && std::none_of(text.begin(), text.end(), non_xml_character)) return text;
  QString out;
  out.reserve(text.size() + 6);
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'_' && i + 6 < text.size() && escape_code(text, i + 1) >= 0 &&
        (text[i + 6] == u'_' || stored_escaped(text[i + 6]))) {
      out += QLatin1String("_x005F_");
    } else if (non_xml_character(text[i])) {
      out += text[i].unicode() == 0xFFFE ? QLatin1String("_xFFFE_") : QLatin1String("_xFFFF_");
    } else {
      out += text[i];
    }
  }
  return out;
}

QString decode_xlsx_text(const QString& stored) {
  if (!stored.contains(QLatin1String("_x"))) return stored;
  QString out;
  out.reserve(stored.size());
  qsizetype i = 0;
  while (i < stored.size()) {
    if (stored[i] == u'_' && i + 6 < stored.size() && stored[i + 6] == u'_') {
      const int code = escape_code(stored, i + 1);
      if (code >= 0) {
        if (code == 0 || QChar::isSurrogate(static_cast<char32_t>(code))) {
          out += QStringView(stored).mid(i, 7);
        } else {
          out += QChar(static_cast<char16_t>(code));
        }
        i += 7;
        continue;
      }
    }
    out += stored[i++];
  }
  return out;
}

}  // namespace trelvo::io
