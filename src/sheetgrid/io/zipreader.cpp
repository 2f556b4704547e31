#include "sheetgrid/io/zipreader.h"

#include <zlib.h>

#include <algorithm>

#include "sheetgrid/io/table.h"

namespace trelvo::io {
namespace {

constexpr quint32 kEndOfDirectory = 0x06054b50;
constexpr quint32 kDirectoryEntry = 0x02014b50;
constexpr quint32 kLocalHeader = 0x04034b50;

quint16 u16(const QByteArray& b, qint64 at) {
  const auto* p = reinterpret_cast<const unsigned char*>(b.constData()) + at;
  return static_cast<quint16>(p[0] | (p[1] << 8));
}

quint32 u32(const QByteArray& b, qint64 at) {
  const auto* p = reinterpret_cast<const unsigned char*>(b.constData()) + at;
  return static_cast<quint32>(p[0]) | (static_cast<quint32>(p[1]) << 8) | (static_cast<quint32>(p[2]) << 16) |
         (static_cast<quint32>(p[3]) << 24);
}

[[noreturn]] void not_a_zip() { throw IoError(std::string("File is not a zip file")); }

}  // namespace

ZipReader::ZipReader(const QByteArray& archive, qint64 max_decompressed)
    : archive_(archive), budget_(max_decompressed) {
  const qint64 n = archive_.size();
  if (n < 22) not_a_zip();
  // The end record is the last 22 bytes, or sits before a comment of up to 65535 bytes.
  qint64 end = -1;
  for (qint64 at = n - 22; at >= 0 && at >= n - 22 - 65535; --at) {
    if (u32(archive_, at) == kEndOfDirectory && at + 22 + u16(archive_, at + 20) == n) {
      end = at;
      break;
    }
  }
  if (end < 0) not_a_zip();
  const quint16 count = u16(archive_, end + 10);
  const quint32 dir_size = u32(archive_, end + 12);
  const quint32 dir_offset = u32(archive_, end + 16);
  if (dir_offset == 0xFFFFFFFFu || count == 0xFFFF) {
    throw IoError(std::string("ZIP64 archives are not supported"));
  }
  if (static_cast<qint64>(dir_offset) + dir_size > end) not_a_zip();
  qint64 at = dir_offset;
  const qint64 dir_end = static_cast<qint64>(dir_offset) + dir_size;
  for (quint32 i = 0; i < count; ++i) {
    if (at + 46 > dir_end || u32(archive_, at) != kDirectoryEntry) not_a_zip();
    Entry e;
    e.flags = u16(archive_, at + 8);
    e.method = u16(archive_, at + 10);
    e.crc = u32(archive_, at + 16);
    e.compressed = u32(archive_, at + 20);
    e.size = u32(archive_, at + 24);
    const quint16 name_len = u16(archive_, at + 28);
    const quint16 extra_len = u16(archive_, at + 30);
    const quint16 comment_len = u16(archive_, at + 32);
    e.offset = u32(archive_, at + 42);
    const qint64 next = at + 46 + name_len + extra_len + comment_len;
    if (next > dir_end) not_a_zip();
    const QByteArray raw = archive_.mid(at + 46, name_len);
    // Names are UTF-8 when flag bit 11 is set, else code page 437; the parts
    // of a workbook are ASCII either way.
    const QString name = (e.flags & 0x800) ? QString::fromUtf8(raw) : QString::fromLatin1(raw);
    entries_.insert(name, e);
    at = next;
  }
}

struct ZipReader::Member::State {
  QString name;
  Entry entry;
  const unsigned char* src = nullptr;
  qint64* budget = nullptr;
  z_stream zs{};
  bool inflating = false;
  bool done = false;
  quint64 produced = 0;
  uLong crc = crc32(0L, Z_NULL, 0);
  ~State() {
    if (inflating) inflateEnd(&zs);
  }
  [[noreturn]] void over_budget() const {
    throw IoError(QStringLiteral("The workbook decompresses to more than the allowed size (member '%1')").arg(name));
  }
  void finish() {
    if (produced != entry.size) throw IoError(QStringLiteral("Bad size for file '%1'").arg(name));
    if (static_cast<quint32>(crc) != entry.crc) throw IoError(QStringLiteral("Bad CRC-32 for file '%1'").arg(name));
    done = true;
  }
};

ZipReader::Member::Member(std::unique_ptr<State> state) : d_(std::move(state)) {}
ZipReader::Member::Member(Member&&) noexcept = default;
ZipReader::Member& ZipReader::Member::operator=(Member&&) noexcept = default;
ZipReader::Member::~Member() = default;

ZipReader::Member ZipReader::open(const QString& name) {
  const auto it = entries_.constFind(name);
  if (it == entries_.constEnd()) throw IoError(QStringLiteral("There is no item named '%1' in the archive").arg(name));
  const Entry e = *it;
  if (e.flags & 0x1) throw IoError(QStringLiteral("File '%1' is encrypted").arg(name));
  const qint64 n = archive_.size();
  const qint64 local = e.offset;
  if (local + 30 > n || u32(archive_, local) != kLocalHeader) {
    throw IoError(QStringLiteral("Bad magic number for file header of '%1'").arg(name));
  }
  const qint64 start = local + 30 + u16(archive_, local + 26) + u16(archive_, local + 28);
  if (start + static_cast<qint64>(e.compressed) > n) {
    throw IoError(QStringLiteral("The data of '%1' lies past the end of the archive").arg(name));
  }
  auto state = std::make_unique<Member::State>();
  state->name = name;
  state->entry = e;
  state->src = reinterpret_cast<const unsigned char*>(archive_.constData()) + start;
  state->budget = &budget_;
  if (e.method == 0) {
    if (e.compressed != e.size) throw IoError(QStringLiteral("Bad size for stored file '%1'").arg(name));
    if (static_cast<qint64>(e.size) > budget_) state->over_budget();
  } else if (e.method == 8) {
    if (inflateInit2(&state->zs, -MAX_WBITS) != Z_OK) throw IoError(std::string("Cannot start decompressing"));
    state->inflating = true;
    state->zs.next_in = const_cast<Bytef*>(state->src);
    state->zs.avail_in = e.compressed;
  } else {
    throw IoError(QStringLiteral("Compression method %1 of '%2' is not supported").arg(e.method).arg(name));
  }
  return Member(std::move(state));
}

QByteArray ZipReader::Member::next() {
  State& s = *d_;
  if (s.done) return QByteArray();
  constexpr qint64 kPiece = 1 << 16;
  QByteArray out;
  if (s.entry.method == 0) {
    const qint64 left = static_cast<qint64>(s.entry.size) - static_cast<qint64>(s.produced);
    if (left == 0) {
      s.finish();
      return QByteArray();
    }
    const qint64 take = std::min(left, kPiece);
    out = QByteArray(reinterpret_cast<const char*>(s.src + s.produced), static_cast<qsizetype>(take));
    *s.budget -= take;
  } else {
    // A piece may inflate to nothing (an empty stored block): go on until
    // bytes come out or the stream ends.
    out.resize(kPiece);
    qint64 produced = 0;
    int rc = Z_OK;
    while (produced == 0 && rc != Z_STREAM_END) {
      s.zs.next_out = reinterpret_cast<Bytef*>(out.data());
      s.zs.avail_out = static_cast<uInt>(kPiece);
      rc = inflate(&s.zs, Z_NO_FLUSH);
      if (rc != Z_OK && rc != Z_STREAM_END) {
        throw IoError(QStringLiteral("Error %1 while decompressing data of '%2'%3")
                          .arg(rc == Z_BUF_ERROR ? -5 : rc)
                          .arg(s.name, rc == Z_BUF_ERROR ? QStringLiteral(": incomplete or truncated stream")
                                       : s.zs.msg       ? QStringLiteral(": ") + QString::fromLatin1(s.zs.msg)
                                                        : QString()));
      }
      produced = kPiece - static_cast<qint64>(s.zs.avail_out);
    }
    if (produced > *s.budget) s.over_budget();
    *s.budget -= produced;
    out.truncate(static_cast<qsizetype>(produced));
    if (rc == Z_STREAM_END) {
      s.crc = crc32(s.crc, reinterpret_cast<const Bytef*>(out.constData()), static_cast<uInt>(out.size()));
      s.produced += static_cast<quint64>(produced);
      s.finish();
      return out;
    }
  }
  s.crc = crc32(s.crc, reinterpret_cast<const Bytef*>(out.constData()), static_cast<uInt>(out.size()));
  s.produced += static_cast<quint64>(out.size());
  if (s.produced > s.entry.size) throw IoError(QStringLiteral("Bad size for file '%1'").arg(s.name));
  return out;
}

QByteArray ZipReader::read(const QString& name) {
  Member member = open(name);
  QByteArray out;
  for (QByteArray piece = member.next(); !piece.isEmpty(); piece = member.next()) out.append(piece);
  return out;
}

}  // namespace trelvo::io
