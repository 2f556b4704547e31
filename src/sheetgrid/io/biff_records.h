#pragma once
// Bounds-checked little-endian reading of a BIFF record stream. Every read
// past the end of a record or of the stream throws IoError; nothing here
// reads outside the bytes it was given.
#include <QtGlobal>
#include <cstddef>
#include <optional>

#include "sheetgrid/io/table.h"

namespace trelvo::io::biff {

// Record codes used by the reader and the writer.
enum Code : quint16 {
  kBof = 0x0809,
  kEof = 0x000A,
  kContinue = 0x003C,
  kCodepage = 0x0042,
  kFilepass = 0x002F,
  kBoundsheet = 0x0085,
  kSst = 0x00FC,
  kExtsst = 0x00FF,
  kDimensions = 0x0200,
  kBlank = 0x0201,
  kNumber = 0x0203,
  kLabel = 0x0204,
  kBoolerr = 0x0205,
  kFormula = 0x0006,
  kFormula3 = 0x0206,
  kFormula4 = 0x0406,
  kString = 0x0207,
  kStringB2 = 0x0007,
  kRow = 0x0208,
  kRk = 0x027E,
  kMulrk = 0x00BD,
  kMulblank = 0x00BE,
  kRstring = 0x00D6,
  kLabelsst = 0x00FD,
  kArray = 0x0221,
  kArray2 = 0x0021,
  kShrfmla = 0x04BC,
  kTableop = 0x0236,
  kTableop2 = 0x0037,
  kTableopB2 = 0x0036,
  kWindow2 = 0x023E,
};

// A read-only view of bytes (a record's data). Reads past its end throw
// IoError naming the record code.
class ByteView {
 public:
  ByteView() = default;
  ByteView(const unsigned char* data, std::size_t size, quint16 code = 0)
      : data_(data), size_(size), code_(code) {}

  std::size_t size() const { return size_; }
  const unsigned char* data() const { return data_; }
  quint16 code() const { return code_; }

  // Throws IoError unless [offset, offset + length) lies inside the view.
  void require(std::size_t offset, std::size_t length) const;
  quint8 u8(std::size_t offset) const;
  quint16 u16(std::size_t offset) const;
  quint32 u32(std::size_t offset) const;
  qint32 i32(std::size_t offset) const { return static_cast<qint32>(u32(offset)); }
  double f64(std::size_t offset) const;
  ByteView sub(std::size_t offset, std::size_t length) const;

 private:
  const unsigned char* data_ = nullptr;
  std::size_t size_ = 0;
  quint16 code_ = 0;
};

struct Record {
  quint16 code = 0;
  ByteView data;
  std::size_t offset = 0;  // stream offset of the record header
};

// Walks the records of a stream from a start offset.
class RecordReader {
 public:
  RecordReader(ByteView stream, std::size_t position) : stream_(stream), pos_(position) {}

  // The next record. Throws IoError at the end of the stream or when the
  // record's declared length runs past it.
  Record next();
  // The next record if it has `code`; otherwise nothing, and the position stays.
  std::optional<Record> nextIf(quint16 code);
  std::size_t position() const { return pos_; }

 private:
  ByteView stream_;
  std::size_t pos_;
};

// The description every malformed-file error starts with.
[[noreturn]] void corrupt(const QString& detail);

}  // namespace trelvo::io::biff
