#include "sheetgrid/io/zipreader.h"

#include <zlib.h>

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

QByteArray ZipReader::read(const QString& name) {
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
  const auto* src = reinterpret_cast<const Bytef*>(archive_.constData() + start);
  QByteArray out;
  if (e.method == 0) {
    if (e.compressed != e.size) throw IoError(QStringLiteral("Bad size for stored file '%1'").arg(name));
    if (static_cast<qint64>(e.size) > budget_) {
      throw IoError(QStringLiteral("The workbook decompresses to more than the allowed size (member '%1')").arg(name));
    }
    out = QByteArray(reinterpret_cast<const char*>(src), static_cast<qsizetype>(e.size));
  } else if (e.method == 8) {
    z_stream zs{};
    if (inflateInit2(&zs, -MAX_WBITS) != Z_OK) throw IoError(std::string("Cannot start decompressing"));
    struct End {
      z_stream* zs;
      ~End() { inflateEnd(zs); }
    } ender{&zs};
    zs.next_in = const_cast<Bytef*>(src);
    zs.avail_in = e.compressed;
    char chunk[1 << 16];
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
      zs.next_out = reinterpret_cast<Bytef*>(chunk);
      zs.avail_out = sizeof chunk;
      rc = inflate(&zs, Z_NO_FLUSH);
      if (rc != Z_OK && rc != Z_STREAM_END) {
        throw IoError(QStringLiteral("Error %1 while decompressing data of '%2'%3")
                          .arg(rc == Z_BUF_ERROR ? -5 : rc)
                          .arg(name, rc == Z_BUF_ERROR ? QStringLiteral(": incomplete or truncated stream")
                                                       : zs.msg ? QStringLiteral(": ") + QString::fromLatin1(zs.msg)
                                                                : QString()));
      }
      const qint64 produced = static_cast<qint64>(sizeof chunk - zs.avail_out);
      if (produced > budget_) {
        throw IoError(QStringLiteral("The workbook decompresses to more than the allowed size (member '%1')").arg(name));
      }
      budget_ -= produced;
      out.append(chunk, static_cast<qsizetype>(produced));
    }
    if (static_cast<quint64>(out.size()) != static_cast<quint64>(e.size)) {
      throw IoError(QStringLiteral("Bad size for file '%1'").arg(name));
    }
  } else {
    throw IoError(QStringLiteral("Compression method %1 of '%2' is not supported").arg(e.method).arg(name));
  }
  if (e.method == 0) budget_ -= e.size;
  const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(out.constData()),
                          static_cast<uInt>(out.size()));
  if (static_cast<quint32>(crc) != e.crc) throw IoError(QStringLiteral("Bad CRC-32 for file '%1'").arg(name));
  return out;
}

}  // namespace trelvo::io
