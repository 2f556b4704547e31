#include "sheetgrid/io/biff_records.h"

#include <cstring>

namespace trelvo::io::biff {

void corrupt(const QString& detail) {
  throw IoError(QStringLiteral("Unsupported format, or corrupt file: %1").arg(detail));
}

void ByteView::require(std::size_t offset, std::size_t length) const {
  if (offset > size_ || length > size_ - offset)
    corrupt(QStringLiteral("record 0x%1 is too short (%2 bytes, needs %3)")
                .arg(code_, 4, 16, QLatin1Char('0'))
                .arg(size_)
                .arg(static_cast<qulonglong>(offset) + length));
}

quint8 ByteView::u8(std::size_t offset) const {
  require(offset, 1);
  return data_[offset];
}

quint16 ByteView::u16(std::size_t offset) const {
  require(offset, 2);
  return static_cast<quint16>(data_[offset] | (data_[offset + 1] << 8));
}

quint32 ByteView::u32(std::size_t offset) const {
  require(offset, 4);
  return static_cast<quint32>(data_[offset]) | (static_cast<quint32>(data_[offset + 1]) << 8) |
         (static_cast<quint32>(data_[offset + 2]) << 16) |
         (static_cast<quint32>(data_[offset + 3]) << 24);
}

double ByteView::f64(std::size_t offset) const {
  require(offset, 8);
  quint64 bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | data_[offset + static_cast<std::size_t>(i)];
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

ByteView ByteView::sub(std::size_t offset, std::size_t length) const {
  require(offset, length);
  return ByteView(data_ + offset, length, code_);
}

Record RecordReader::next() {
  if (pos_ > stream_.size() || stream_.size() - pos_ < 4)
    corrupt(QStringLiteral("the stream ends at offset %1 before the end of the workbook")
                .arg(static_cast<qulonglong>(pos_)));
  const quint16 code = stream_.u16(pos_);
  const quint16 length = stream_.u16(pos_ + 2);
  if (stream_.size() - pos_ - 4 < length)
    corrupt(QStringLiteral("record 0x%1 at offset %2 runs past the end of the stream")
                .arg(code, 4, 16, QLatin1Char('0'))
                .arg(static_cast<qulonglong>(pos_)));
  Record r;
  r.code = code;
  r.offset = pos_;
  r.data = ByteView(stream_.data() + pos_ + 4, length, code);
  pos_ += 4 + static_cast<std::size_t>(length);
  return r;
}

std::optional<Record> RecordReader::nextIf(quint16 code) {
  if (pos_ > stream_.size() || stream_.size() - pos_ < 4) return std::nullopt;
  if (stream_.u16(pos_) != code) return std::nullopt;
  return next();
}

}  // namespace trelvo::io::biff
