#pragma once
// Builds small zip archives in memory for reader tests and fuzz targets.
#include <QByteArray>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include <zlib.h>

namespace trelvo::test {

struct ZipMember {
  QByteArray name;
  QByteArray data;
  bool deflated = false;  // raw deflate (method 8), else stored (method 0)
};

namespace zipdetail {

inline void put16(QByteArray& out, unsigned v) {
  out.append(static_cast<char>(v & 0xFF));
  out.append(static_cast<char>((v >> 8) & 0xFF));
}

inline void put32(QByteArray& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

inline QByteArray raw_deflate(const QByteArray& data) {
  z_stream zs{};
  if (deflateInit2(&zs, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) std::abort();
  QByteArray out(static_cast<qsizetype>(deflateBound(&zs, static_cast<uLong>(data.size()))), '\0');
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
  zs.avail_in = static_cast<uInt>(data.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  if (deflate(&zs, Z_FINISH) != Z_STREAM_END) std::abort();
  out.truncate(static_cast<qsizetype>(zs.total_out));
  deflateEnd(&zs);
  return out;
}

}  // namespace zipdetail

// A zip archive of the members in order, with a central directory; CRCs and
// sizes are right.
inline QByteArray zip_archive(const std::vector<ZipMember>& members) {
  using zipdetail::put16;
  using zipdetail::put32;
  QByteArray out, directory;
  for (const ZipMember& m : members) {
    const QByteArray body = m.deflated ? zipdetail::raw_deflate(m.data) : m.data;
    const auto crc = static_cast<std::uint32_t>(crc32(
        crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(m.data.constData()), static_cast<uInt>(m.data.size())));
    const auto offset = static_cast<std::uint32_t>(out.size());
    const auto packed = static_cast<std::uint32_t>(body.size());
    const auto size = static_cast<std::uint32_t>(m.data.size());
    const unsigned method = m.deflated ? 8 : 0;
    const auto name_size = static_cast<unsigned>(m.name.size());
    put32(out, 0x04034b50);
    put16(out, 20), put16(out, 0), put16(out, method), put16(out, 0), put16(out, 0);
    put32(out, crc), put32(out, packed), put32(out, size);
    put16(out, name_size), put16(out, 0);
    out += m.name + body;
    put32(directory, 0x02014b50);
    put16(directory, 20), put16(directory, 20), put16(directory, 0), put16(directory, method);
    put16(directory, 0), put16(directory, 0);
    put32(directory, crc), put32(directory, packed), put32(directory, size);
    put16(directory, name_size), put16(directory, 0), put16(directory, 0);
    put16(directory, 0), put16(directory, 0), put32(directory, 0), put32(directory, offset);
    directory += m.name;
  }
  const auto directory_at = static_cast<std::uint32_t>(out.size());
  const auto count = static_cast<unsigned>(members.size());
  out += directory;
  put32(out, 0x06054b50);
  put16(out, 0), put16(out, 0), put16(out, count), put16(out, count);
  put32(out, static_cast<std::uint32_t>(directory.size())), put32(out, directory_at), put16(out, 0);
  return out;
}

}  // namespace trelvo::test
