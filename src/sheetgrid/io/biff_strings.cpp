#include "sheetgrid/io/biff_strings.h"

#include <algorithm>

namespace trelvo::io::biff {

void append_chars(QString& out, const ByteView& data, std::size_t pos, std::size_t count, bool wide) {
  if (count == 0) return;
  data.require(pos, wide ? count * 2 : count);
  const unsigned char* p = data.data() + pos;
  if (!wide) {
    out += QString::fromLatin1(reinterpret_cast<const char*>(p), static_cast<qsizetype>(count));
    return;
  }
  const qsizetype start = out.size();
  out.resize(start + static_cast<qsizetype>(count));
  QChar* dst = out.data() + start;
  for (std::size_t i = 0; i < count; ++i)
    dst[i] = QChar(static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8)));
}

QString read_unicode(const ByteView& data, std::size_t pos, int lenlen, std::size_t* end) {
  const std::size_t nchars = lenlen == 1 ? data.u8(pos) : data.u16(pos);
  pos += static_cast<std::size_t>(lenlen);
  QString s;
  if (nchars == 0) {
    if (end) *end = pos;
    return s;
  }
  const quint8 options = data.u8(pos);
  pos += 1;
  if (options & 0x08) pos += 2;
  if (options & 0x04) pos += 4;
  const bool wide = options & 0x01;
  append_chars(s, data, pos, nchars, wide);
  if (end) *end = pos + (wide ? 2 * nchars : nchars);
  return s;
}

QString read_string_record(const ByteView& first, RecordReader& more) {
  const std::size_t expected = first.u16(0);
  QString s;
  ByteView data = first;
  std::size_t pos = 2;
  std::size_t got = 0;
  for (;;) {
    const bool wide = data.u8(pos) & 0x01;
    pos += 1;
    const std::size_t avail = (data.size() - pos) / (wide ? 2 : 1);
    const std::size_t take = std::min(avail, expected - got);
    append_chars(s, data, pos, take, wide);
    got += take;
    if (got == expected) return s;
    const Record r = more.next();
    if (r.code != kContinue)
      corrupt(QStringLiteral("expected a CONTINUE record after a STRING record; found 0x%1")
                  .arg(r.code, 4, 16, QLatin1Char('0')));
    data = r.data;
    pos = 0;
  }
}

namespace {

// Walks the SST chunks; each step to the next chunk is explicit.
struct SstCursor {
  const std::vector<ByteView>& chunks;
  std::size_t index = 0;
  std::size_t pos = 0;

  const ByteView& data() const { return chunks[index]; }
  std::size_t left() const { return data().size() - std::min(pos, data().size()); }
  void advance(const char* what) {
    if (index + 1 >= chunks.size())
      corrupt(QStringLiteral("the shared string table ends inside %1").arg(QLatin1String(what)));
    ++index;
    pos = 0;
  }
};

}  // namespace

std::vector<QString> read_sst(const std::vector<ByteView>& chunks, std::size_t max_strings) {
  std::vector<QString> strings;
  if (chunks.empty()) return strings;
  const qint32 declared = chunks[0].i32(4);
  if (declared <= 0) return strings;
  const std::size_t count = static_cast<std::size_t>(declared);
  if (count > max_strings)
    corrupt(QStringLiteral("the shared string table declares %1 strings, more than %2")
                .arg(count)
                .arg(max_strings));
  SstCursor c{chunks, 0, 8};
  for (std::size_t i = 0; i < count; ++i) {
    if (c.left() == 0) c.advance("a string header");
    const ByteView& head = c.data();
    const std::size_t nchars = head.u16(c.pos);
    quint8 options = head.u8(c.pos + 2);
    c.pos += 3;
    std::size_t rtcount = 0;
    std::size_t phosz = 0;
    if (options & 0x08) {
      rtcount = head.u16(c.pos);
      c.pos += 2;
    }
    if (options & 0x04) {
      const qint32 sz = head.i32(c.pos);
      if (sz < 0) corrupt(QStringLiteral("negative phonetic size in the shared string table"));
      phosz = static_cast<std::size_t>(sz);
      c.pos += 4;
    }
    QString s;
    std::size_t got = 0;
    for (;;) {
      const bool wide = options & 0x01;
      const std::size_t avail = c.left() / (wide ? 2 : 1);
      const std::size_t take = std::min(avail, nchars - got);
      append_chars(s, c.data(), c.pos, take, wide);
      c.pos += wide ? 2 * take : take;
      got += take;
      if (got == nchars) break;
      c.advance("a string");
      options = c.data().u8(0);
      c.pos = 1;
    }
    for (std::size_t r = 0; r < rtcount; ++r) {
      if (c.left() == 0) c.advance("rich-text runs");
      c.data().require(c.pos, 4);
      c.pos += 4;
    }
    // Phonetic data may cross into later chunks; the table may end right
    // after the last string's data.
    std::size_t skip = phosz;
    while (skip > c.left()) {
      skip -= c.left();
      if (c.index + 1 >= chunks.size()) {
        if (i + 1 == count) break;
        corrupt(QStringLiteral("the shared string table ends inside phonetic data"));
      }
      ++c.index;
      c.pos = 0;
    }
    c.pos += std::min(skip, c.left());
    strings.push_back(std::move(s));
  }
  return strings;
}

}  // namespace trelvo::io::biff
